#include "shell/prefs_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <span>

#include "editor/view_patterns.h"
#include "resources/strings.h"

namespace kavrel {

namespace {

QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

QColor FromColorRef(std::uint32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

std::uint32_t ToColorRef(const QColor& c)
{
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

// One check box of a page: its control number, text and value. group > 0
// puts it in the page's group box of that title.
struct BoxRow {
    int control;
    int text;
    int PrefsValues::*value;
    int group;
};

const BoxRow kGeneral[] = {
    {1011, 56401, &PrefsValues::iconeAuto, 0},          {1015, 56402, &PrefsValues::reorganiseLancement, 0},
    {1013, 56403, &PrefsValues::confirmeSave, 0},       {1017, 56404, &PrefsValues::ecoRes, 0},
    {1018, 56405, &PrefsValues::agrandissement, 0},     {1019, 56407, &PrefsValues::showIcoToolBar, 56406},
    {1021, 56408, &PrefsValues::showIclToolBar, 56406}, {1020, 56409, &PrefsValues::showExeToolBar, 56406},
};
const BoxRow kEditor[] = {
    {1013, 56413, &PrefsValues::optionsDeCollage, 0},
    {1014, 56414, &PrefsValues::afficheOmbreIcone, 0},
    {1015, 56415, &PrefsValues::defaultZoomAuto, 0},
    {1016, 56416, &PrefsValues::grilleAuto, 0},
};
const BoxRow kMessages[] = {
    {1044, 56421, &PrefsValues::showWarnTypes, 0},       {1045, 56422, &PrefsValues::showWarnExeType, 0},
    {1043, 56423, &PrefsValues::showWarnColor, 0},       {1042, 56425, &PrefsValues::showBienvenue, 56424},
    {1041, 56426, &PrefsValues::showWarnColor16, 56424},
};

// A sample of pattern pair `motif`: the editor's pattern on the left, the
// preview's beside it, each over a few cells of its own size.
QIcon PatternSample(int motif)
{
    QImage image(48, 16, QImage::Format_RGB32);
    for (int half = 0; half < 2; ++half) {
        const Bitmap& pattern = half == 0 ? ViewTransparentPattern(motif) : PreviewTransparentPattern(motif);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 22; ++x) {
                COLORREF c = pattern.pixel(x % pattern.width(), y % pattern.height());
                image.setPixel(half * 26 + x, y, FromColorRef(c).rgb());
            }
    }
    for (int y = 0; y < 16; ++y)
        for (int x = 22; x < 26; ++x)
            image.setPixel(x, y, qRgb(255, 255, 255));
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

bool QtColourChooser::ChooseColour(std::uint32_t& colour, std::uint32_t (&custom)[16])
{
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, FromColorRef(custom[i]));
    QColorDialog dialog(FromColorRef(colour), parent_);
    bool ok = dialog.exec() == QDialog::Accepted;
    // The dialog edits the custom colours whether or not it is confirmed.
    for (int i = 0; i < 16; ++i)
        custom[i] = ToColorRef(QColorDialog::customColor(i));
    if (ok)
        colour = ToColorRef(dialog.selectedColor());
    return ok;
}

CPrefsPropertySheet::CPrefsPropertySheet(QWidget* parent, ColourChooser* chooser)
    : QDialog(parent), values_(ReadPreferences()), chooser_(chooser)
{
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(Text(8));
    if (!chooser_) {
        ownChooser_ = std::make_unique<QtColourChooser>(this);
        chooser_ = ownChooser_.get();
    }
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    pages_->addTab(MakePage(PrefsPage::General), Text(56400));
    pages_->addTab(MakePage(PrefsPage::Editor), Text(56410));
    pages_->addTab(MakePage(PrefsPage::Messages), Text(56420));
    pages_->setCurrentIndex(static_cast<int>(PreferencesStartPage()));
    layout->addWidget(pages_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Text(56427), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(56428), QDialogButtonBox::RejectRole);
    QPushButton* help = buttons->addButton(Text(56429), QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] {
        if (help_)
            help_();
    });
    layout->addWidget(buttons);
}

CPrefsPropertySheet::~CPrefsPropertySheet() = default;

QWidget* CPrefsPropertySheet::MakePage(PrefsPage which)
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);

    if (which == PrefsPage::Editor) {
        auto* patternLabel = new QLabel(Text(56411), page);
        patterns_ = new QComboBox(page);
        patterns_->setObjectName(QStringLiteral("1002"));
        patterns_->setIconSize(QSize(48, 16));
        for (int motif = 0; motif < 4; ++motif)
            patterns_->addItem(PatternSample(motif), QString());
        patterns_->setCurrentIndex(
            values_.motifTransparent >= 0 && values_.motifTransparent <= 3 ? values_.motifTransparent : 0);
        patternLabel->setBuddy(patterns_);
        auto* row = new QHBoxLayout;
        row->addWidget(patternLabel);
        row->addWidget(patterns_);
        row->addStretch();
        layout->addLayout(row);

        auto* colourLabel = new QLabel(Text(56412), page);
        colourButton_ = new QPushButton(page);
        colourButton_->setObjectName(QStringLiteral("1012"));
        colourButton_->setFixedSize(48, 22);
        colourLabel->setBuddy(colourButton_);
        connect(colourButton_, &QPushButton::clicked, this, [this] {
            ChooseBackgroundColour(values_, *chooser_);
            PaintColourButton();
        });
        PaintColourButton();
        auto* colourRow = new QHBoxLayout;
        colourRow->addWidget(colourLabel);
        colourRow->addWidget(colourButton_);
        colourRow->addStretch();
        layout->addLayout(colourRow);
    }

    std::span<const BoxRow> rows = which == PrefsPage::General  ? std::span<const BoxRow>(kGeneral)
                                   : which == PrefsPage::Editor ? std::span<const BoxRow>(kEditor)
                                                                : std::span<const BoxRow>(kMessages);
    QGroupBox* group = nullptr;
    QVBoxLayout* groupLayout = nullptr;
    for (const BoxRow& row : rows) {
        QWidget* holder = page;
        if (row.group) {
            if (!group) {
                group = new QGroupBox(Text(row.group), page);
                groupLayout = new QVBoxLayout(group);
                layout->addWidget(group);
            }
            holder = group;
        }
        auto* box = new QCheckBox(Text(row.text), holder);
        box->setObjectName(QString::number(row.control));
        box->setChecked(values_.*row.value != 0);
        (row.group ? groupLayout : layout)->addWidget(box);
        boxes_.push_back({which, row.control, row.value, box});
    }
    layout->addStretch();
    return page;
}

void CPrefsPropertySheet::PaintColourButton()
{
    QPixmap swatch(36, 12);
    swatch.fill(FromColorRef(values_.backgroundColour));
    {
        QPainter painter(&swatch);
        painter.setPen(Qt::black);
        painter.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    }
    colourButton_->setIcon(QIcon(swatch));
    colourButton_->setIconSize(swatch.size());
}

QCheckBox* CPrefsPropertySheet::Box(PrefsPage page, int control) const
{
    for (const BoundBox& b : boxes_)
        if (b.page == page && b.control == control)
            return b.box;
    return nullptr;
}

PrefsValues CPrefsPropertySheet::Values() const
{
    PrefsValues values = values_;
    for (const BoundBox& b : boxes_)
        values.*b.value = b.box->isChecked() ? 1 : 0;
    values.motifTransparent = patterns_->currentIndex();
    return values;
}

void CPrefsPropertySheet::accept()
{
    ApplyPreferences(Values(), static_cast<PrefsPage>(pages_->currentIndex()), effects_);
    QDialog::accept();
}

} // namespace kavrel
