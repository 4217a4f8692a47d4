#include "shell/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

#include "resources/strings.h"

namespace kavrel {

int QtPrompter::Message(const std::string& text, unsigned style)
{
    QMessageBox box(parent_ ? parent_ : QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(LoadString(2)));
    box.setText(QString::fromStdString(text));
    switch (style & kMessageIconMask) {
    case MB_ICONSTOP:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    // Escape gives the answer that changes nothing: Cancel, else No, else OK.
    switch (style & kMessageButtonsMask) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNOCANCEL:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MB_ABORTRETRYIGNORE:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        box.setEscapeButton(QMessageBox::Abort);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    default: {
        unsigned buttons = style & kMessageButtonsMask;
        return buttons == MB_YESNO              ? IDNO
               : buttons == MB_OK               ? IDOK
               : buttons == MB_ABORTRETRYIGNORE ? IDABORT
                                                : IDCANCEL;
    }
    }
}

} // namespace kavrel
