// The application object: the main form, the message loop and the pumping
// of pending messages from inside long operations.
#pragma once

#include <windows.h>

class TForm;

class TApplication {
  public:
    // The form that ends the program when it closes and that other forms
    // stay above, named by WinMain.
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    void FormDestroyed(TForm* form) {
        if (mainForm_ == form) mainForm_ = nullptr;
    }

    // Shows the main form and runs the message loop until the program ends.
    void Run();
    // Handles every message that is pending now, then returns.
    void ProcessMessages();
    // Waits for and handles one message.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }

  private:
    bool ProcessMessage();
    void Dispatch(MSG& msg);

    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
};

TApplication& Application();
