// Questions, messages and file choices. The Qt shell answers them with real
// dialogs; tests answer them from a script, so every confirmation and every
// refusal can be checked without a window.
#pragma once

#include <string>
#include <vector>

namespace kavrel {

// The buttons and the icon of a message, as the message-box styles combine them.
enum MessageStyle : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_ABORTRETRYIGNORE = 0x2,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
inline constexpr unsigned kMessageButtonsMask = 0x0F;
inline constexpr unsigned kMessageIconMask = 0xF0;

// The button that closed a message.
enum MessageAnswer : int { IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7 };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // Shows text with the buttons and icon of style; returns the button pressed.
    virtual int Message(const std::string& text, unsigned style) = 0;
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // filter is in the "Name (*.ext)|*.ext|..." form. Empty result: cancelled.
    virtual std::vector<std::string> ChooseOpen(const std::string& title, const std::string& filter, bool multiple) = 0;
    virtual std::string ChooseSave(const std::string& title, const std::string& filter,
                                   const std::string& suggestedPath) = 0;
};

// The prompter and chooser in use; the shell installs its own at start-up.
// Before that every message is answered with its default (OK, Yes) and every
// file choice is cancelled.
Prompter& Prompts();
void SetPrompter(Prompter* prompter); // nullptr restores the default
FileChooser& Chooser();
void SetFileChooser(FileChooser* chooser);

} // namespace kavrel
