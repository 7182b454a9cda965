// Starting another program and reading its windows from outside, as a
// person's tools would. Each header below covers one kind of reading.
#pragma once

#include "tests/remote/controls.h"
#include "tests/remote/handle.h"
#include "tests/remote/process.h"
#include "tests/remote/remote_call.h"
#include "tests/remote/remote_memory.h"
#include "tests/remote/window_search.h"
