// The Qt shell's answer to questions and messages: standard message boxes
// with the buttons and icon of the message style, titled with the program's
// name.
#pragma once

#include "platform/prompter.h"

class QWidget;

namespace kavrel {

class QtPrompter final : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    int Message(const std::string& text, unsigned style) override;

private:
    QWidget* parent_;
};

}  // namespace kavrel
