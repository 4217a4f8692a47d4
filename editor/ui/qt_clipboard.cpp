#include "editor/ui/qt_clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QMimeData>
#include <QPainter>

#include <cstring>

#include "model/icon_model.h"

namespace kavrel {

namespace {

// The same block, readable by name on every window system.
const char* const kPlainMimeType = "application/x-kavrel-4.0-data";

QByteArray Bytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

// A BMP file: the 14-byte file header in front of the packed DIB.
QByteArray BmpFile(const PackedDib& dib)
{
    const auto header = dib.header();
    if (!header)
        return {};
    const std::uint32_t offset = 14 + header->biSize + 4 * static_cast<std::uint32_t>(dib.colorCount());
    const std::uint32_t size = 14 + static_cast<std::uint32_t>(dib.bytes.size());
    QByteArray out(14, '\0');
    out[0] = 'B';
    out[1] = 'M';
    std::memcpy(out.data() + 2, &size, 4);
    std::memcpy(out.data() + 10, &offset, 4);
    out.append(Bytes(dib.bytes));
    return out;
}

bool TooLarge(const QSize& size)
{
    return size.width() > kMaxImageSide || size.height() > kMaxImageSide ||
           static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height()) * 4 > kMaxImageBytes;
}

// A header alone, naming the size of an image the editor will refuse.
PackedDib SizeOnly(const QSize& size)
{
    BitmapInfoHeader h;
    h.biWidth = size.width();
    h.biHeight = size.height();
    h.biBitCount = 24;
    PackedDib dib;
    dib.bytes.resize(BitmapInfoHeader::kSize);
    h.Write(dib.bytes.data());
    return dib;
}

// An image with an alpha channel as an alpha bitmap (straight alpha).
Bitmap AlphaBitmapFrom(const QImage& source)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    Bitmap bitmap = Bitmap::ColorAlpha(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            // Fully transparent pixels hold no colour.
            bitmap.setRawPixel(x, y, qAlpha(row[x]) == 0 ? 0u : static_cast<std::uint32_t>(row[x]));
    }
    return bitmap;
}

QImage ImageFromAlphaBitmap(const Bitmap& bitmap)
{
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_ARGB32);
    for (int y = 0; y < bitmap.height(); ++y)
        std::memcpy(image.scanLine(y), bitmap.colorBits() + static_cast<std::size_t>(y) * bitmap.width(),
                    static_cast<std::size_t>(bitmap.width()) * 4);
    return image;
}

} // namespace

QString QtClipboard::PrivateMimeType()
{
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QLatin1String(kClipboardFormatName));
}

QImage QtClipboard::ImageFromDib(const PackedDib& dib)
{
    const std::optional<Bitmap> bitmap = DibToBitmap(dib);
    if (!bitmap)
        return {};
    QImage image(bitmap->width(), bitmap->height(), QImage::Format_RGB32);
    for (int y = 0; y < bitmap->height(); ++y)
        std::memcpy(image.scanLine(y), bitmap->colorBits() + static_cast<std::size_t>(y) * bitmap->width(),
                    static_cast<std::size_t>(bitmap->width()) * 4);
    return image;
}

PackedDib QtClipboard::DibFromImage(const QImage& source)
{
    if (source.isNull())
        return {};
    if (TooLarge(source.size()))
        return SizeOnly(source.size());
    if (source.format() == QImage::Format_Indexed8 && source.colorCount() > 0 && source.colorCount() <= 256 &&
        !source.hasAlphaChannel()) {
        std::vector<PaletteEntry> entries(256);
        for (int i = 0; i < source.colorCount(); ++i) {
            const QRgb c = source.color(i);
            entries[i] = {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                          static_cast<std::uint8_t>(qBlue(c)), 0};
        }
        const Palette palette(std::move(entries));
        Bitmap bitmap = Bitmap::Color(source.width(), source.height());
        for (int y = 0; y < source.height(); ++y) {
            const uchar* row = source.constScanLine(y);
            for (int x = 0; x < source.width(); ++x)
                bitmap.setRawPixel(x, y, 0xFF000000u | (source.color(row[x]) & 0x00FFFFFFu));
        }
        return BitmapToDib(bitmap, &palette, 8);
    }
    // Other programs' images are pasted opaque: alpha is laid on white.
    QImage flat(source.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, source);
    }
    Bitmap bitmap = Bitmap::Color(flat.width(), flat.height());
    for (int y = 0; y < flat.height(); ++y)
        std::memcpy(bitmap.colorBits() + static_cast<std::size_t>(y) * flat.width(), flat.constScanLine(y),
                    static_cast<std::size_t>(flat.width()) * 4);
    return BitmapToDib(bitmap);
}

ClipboardContents QtClipboard::ContentsFrom(const QMimeData& mime)
{
    ClipboardContents c;
    for (const QString& type : {PrivateMimeType(), QString::fromLatin1(kPlainMimeType)})
        if (mime.hasFormat(type)) {
            const QByteArray block = mime.data(type);
            c.privateBlock.assign(block.begin(), block.end());
            break;
        }
    // Encoded images are measured before they are decoded.
    for (const char* type : {"image/png", "image/bmp"})
        if (mime.hasFormat(QLatin1String(type))) {
            QByteArray data = mime.data(QLatin1String(type));
            QBuffer buffer(&data);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer);
            const QSize size = reader.size();
            if (size.isValid() && TooLarge(size)) {
                c.dib = SizeOnly(size);
                return c;
            }
            const QImage image = reader.read();
            if (!image.isNull()) {
                c.dib = DibFromImage(image);
                if (image.hasAlphaChannel())
                    c.alphaImage = AlphaBitmapFrom(image);
                return c;
            }
        }
    if (mime.hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime.imageData());
        c.dib = DibFromImage(image);
        if (image.hasAlphaChannel() && !TooLarge(image.size()))
            c.alphaImage = AlphaBitmapFrom(image);
    }
    return c;
}

bool QtClipboard::Put(const ClipboardContents& contents)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    auto* mime = new QMimeData;
    if (!contents.privateBlock.empty()) {
        mime->setData(PrivateMimeType(), Bytes(contents.privateBlock));
        mime->setData(QString::fromLatin1(kPlainMimeType), Bytes(contents.privateBlock));
    }
    if (!contents.dib.empty()) {
        // A picture with alpha is offered with it (PNG); the BMP stays laid
        // on the background.
        const bool alpha = !contents.alphaImage.isNull() && contents.alphaImage.hasAlpha();
        const QImage image = alpha ? ImageFromAlphaBitmap(contents.alphaImage) : ImageFromDib(contents.dib);
        if (!image.isNull()) {
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            mime->setData(QStringLiteral("image/png"), png);
            mime->setData(QStringLiteral("image/bmp"), BmpFile(contents.dib));
            mime->setImageData(image);
        }
    }
    // The clipboard owns the data from here on.
    clipboard->setMimeData(mime);
    canPaste_.reset();
    return true;
}

QtClipboard::~QtClipboard()
{
    QObject::disconnect(changed_);
}

bool QtClipboard::CanPaste() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    if (!changed_)
        changed_ = QObject::connect(clipboard, &QClipboard::dataChanged, [this] { canPaste_.reset(); });
    if (canPaste_)
        return *canPaste_;
    const QMimeData* mime = clipboard->mimeData();
    canPaste_ = mime && (mime->hasFormat(PrivateMimeType()) || mime->hasFormat(QString::fromLatin1(kPlainMimeType)) ||
                         mime->hasImage() || mime->hasFormat(QStringLiteral("image/png")) ||
                         mime->hasFormat(QStringLiteral("image/bmp")));
    return *canPaste_;
}

std::optional<ClipboardContents> QtClipboard::Get()
{
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime)
        return std::nullopt;
    return ContentsFrom(*mime);
}

} // namespace kavrel
