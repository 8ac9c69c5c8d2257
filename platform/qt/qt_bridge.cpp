#include "platform/qt/qt_bridge.h"

#include <QFile>
#include <algorithm>

#include "platform/encoding.h"
#include "platform/sjis_literal.h"
#include "platform/sysutils.h"

QColor WinColorToQColor(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

std::uint32_t QColorToWinColor(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

std::uint32_t PixelToWinColor(std::uint32_t p) {
    return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

std::uint32_t WinColorToPixel(std::uint32_t c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

QString SjisToQString(const std::string& cp932) {
    if (cp932.empty()) return QString();
    return QString::fromUtf8(Cp932ToUtf8(cp932));
}

std::string QStringToSjis(const QString& text) { return Utf8ToCp932(text.toUtf8().toStdString()); }

std::string QStringToFileName(const QString& name) {
    return FileNameFromOs(QFile::encodeName(name).toStdString());
}

QString FileNameToQString(const std::string& fileName) {
    return QFile::decodeName(QByteArray::fromStdString(OsFileName(fileName)));
}

QString MapFaceName(const std::string& face) {
    if (face.empty() || face == "ＭＳ ゴシック"_sj) return QStringLiteral("Noto Sans Mono CJK JP");
    if (face == "ＭＳ 明朝"_sj || face == "ＭＳ Ｐ明朝"_sj)
        return QStringLiteral("Noto Serif CJK JP");
    if (face == "ＭＳ Ｐゴシック"_sj || face == "メイリオ"_sj)
        return QStringLiteral("Noto Sans CJK JP");
    return SjisToQString(face);
}

QFont FontSpecToQFont(const TFontSpec& font) {
    QFont f(MapFaceName(font.face));
    f.setPixelSize(std::max(1, font.height));
    f.setWeight(font.weight >= 600 ? QFont::Bold : QFont::Normal);
    f.setItalic(font.italic);
    // Glyphs are scaled to the cell pitch afterwards; hinting would make the
    // outlines differ between sizes.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}
