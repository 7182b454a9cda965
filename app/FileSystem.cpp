#include "app/FileSystem.h"

TFileSystem& Kernel32FileSystem() {
    static TFileSystem fileSystem;
    return fileSystem;
}
