#include "platform/prompter.h"

namespace kavrel {

namespace {

class DefaultPrompter final : public Prompter {
public:
    int Message(const std::string&, unsigned style) override
    {
        unsigned buttons = style & kMessageButtonsMask;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
    }
};

class DefaultChooser final : public FileChooser {
public:
    std::vector<std::string> ChooseOpen(const std::string&, const std::string&, bool) override { return {}; }
    std::string ChooseSave(const std::string&, const std::string&, const std::string&) override { return {}; }
};

DefaultPrompter gDefaultPrompter;
DefaultChooser gDefaultChooser;
Prompter* gPrompter = &gDefaultPrompter;
FileChooser* gChooser = &gDefaultChooser;

}  // namespace

Prompter& Prompts() { return *gPrompter; }
void SetPrompter(Prompter* prompter) { gPrompter = prompter ? prompter : &gDefaultPrompter; }
FileChooser& Chooser() { return *gChooser; }
void SetFileChooser(FileChooser* chooser) { gChooser = chooser ? chooser : &gDefaultChooser; }

}  // namespace kavrel
