// The librarian bar's dialogs as real windows: the three delete
// confirmations and the four rename boxes (LibrarianDialogs).
#pragma once

#include <memory>

#include "librarian/bar_dialogs.h"
#include "librarian/conversion.h"
#include "librarian/store.h"

class QWidget;
class QProgressDialog;

namespace kavrel {

class QtLibrarianDialogs final : public LibrarianDialogs {
  public:
    explicit QtLibrarianDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool ConfirmDeleteIcons(const std::vector<std::string>& names) override;
    bool ConfirmDeleteLibrary(const std::string& label, const std::vector<std::string>& names) override;
    bool ConfirmDeleteFolder(const std::string& name) override;
    std::optional<std::string> RenameIcon(const std::string& name) override;
    std::optional<std::string> RenameIcons(const std::vector<std::string>& names) override;
    std::optional<std::string> RenameLibrary(const std::string& label) override;
    std::optional<std::string> RenameFolder(const std::string& label) override;

  private:
    QWidget* parent_;
};

// Refused tree and drag operations: the desktop's beep.
class QtBeeper final : public Beeper {
  public:
    void Beep() override;
};

// "Converting existing libraries": a progress bar while the earlier
// librarian is converted.
class QtConversionView final : public ConversionView {
  public:
    explicit QtConversionView(QWidget* parent);
    ~QtConversionView() override;
    void Show(int steps) override;
    void Step(int done) override;
    void Close() override;

  private:
    QWidget* parent_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace kavrel
