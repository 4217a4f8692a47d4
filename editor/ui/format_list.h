// The list of image formats the format dialogs show: one 62x72 cell per
// format with its 48x48 thumbnail and, on a band below it, the size and the
// colour name.
#pragma once

#include <QListWidget>
#include <vector>

#include "model/icon_model.h"

namespace kavrel {

// A list of equal cells laid out left to right and wrapped, one selectable:
// the look of every format and icon picker.
void SetUpIconGrid(QListWidget& list, QSize cell);

class CFormatListBox : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int kItemWidth = 62;
    static constexpr int kItemHeight = 72;

    explicit CFormatListBox(QWidget* parent = nullptr);
    // Fills the list; each thumbnail is rendered once here.
    void SetFormats(const std::vector<CIcon>& formats);
    // The thumbnail of one packed format on the window colour, 48x48.
    static QImage Thumbnail(const CIcon& icon);
};

} // namespace kavrel
