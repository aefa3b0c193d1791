#include "IniFile.h"

#include "AtomicFile.h"
#include "Error.h"
#include "Gbk.h"
#include "NumberText.h"

#include <QFile>
#include <QFileInfo>

namespace zq {
namespace {

struct NamedColor {
    const char* name;
    quint32 value;
};

// The standard colour names of the stored files; the first name of a value is
// the one written.
constexpr NamedColor kColors[] = {
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    {"clLtGray", 0xC0C0C0}, {"clDkGray", 0x808080},
    {"clNone", 0x1FFFFFFF}, {"clDefault", 0x20000000},
    {"clScrollBar", 0xFF000000}, {"clBackground", 0xFF000001}, {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003}, {"clMenu", 0xFF000004}, {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006}, {"clMenuText", 0xFF000007}, {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009}, {"clActiveBorder", 0xFF00000A}, {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C}, {"clHighlight", 0xFF00000D}, {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F}, {"clBtnShadow", 0xFF000010}, {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012}, {"clInactiveCaptionText", 0xFF000013}, {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015}, {"cl3DLight", 0xFF000016}, {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018}, {"clHotLight", 0xFF00001A}, {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C}, {"clMenuHighlight", 0xFF00001D}, {"clMenuBar", 0xFF00001E},
};

// Integer text as the stored files write it: decimal, or "$"/"0x" followed by
// up to eight hexadecimal digits (taken as a 32-bit pattern).
std::optional<qint64> parseIntegerText(QStringView text)
{
    QStringView t = text.trimmed();
    bool negative = false;
    if (!t.isEmpty() && (t[0] == u'-' || t[0] == u'+')) {
        negative = t[0] == u'-';
        t = t.mid(1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t = t.mid(1);
    } else if (t.startsWith(u"0x", Qt::CaseInsensitive)) {
        base = 16;
        t = t.mid(2);
    }
    if (t.isEmpty() || (base == 16 && t.size() > 8) || (base == 10 && t.size() > 10))
        return std::nullopt;
    qint64 v = 0;
    for (QChar c : t) {
        const int d = c >= u'0' && c <= u'9'   ? c.unicode() - u'0'
                      : c >= u'a' && c <= u'f' ? c.unicode() - u'a' + 10
                      : c >= u'A' && c <= u'F' ? c.unicode() - u'A' + 10
                                               : 99;
        if (d >= base)
            return std::nullopt;
        v = v * base + d;
    }
    if (base == 16)
        v = static_cast<qint32>(static_cast<quint32>(v));
    return negative ? -v : v;
}

std::optional<int> parseInt32(QStringView text)
{
    const auto v = parseIntegerText(text);
    if (!v || *v < std::numeric_limits<qint32>::min() || *v > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<int>(*v);
}

QString unquote(QStringView v)
{
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        return v.mid(1, v.size() - 2).toString();
    return v.toString();
}

void checkName(const QString& name, bool isKey)
{
    const QString t = name.trimmed();
    const bool bad = t.isEmpty() || name.contains(u'\n') || name.contains(u'\r')
                     || (isKey && (t.contains(u'=') || t.startsWith(u'[') || t.startsWith(u';')));
    if (bad)
        throw Error(QStringLiteral("无效的设置名称“%1”").arg(name));
}

} // namespace

QString colorToText(quint32 color)
{
    for (const auto& c : kColors)
        if (c.value == color)
            return QString::fromLatin1(c.name);
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> colorFromText(QStringView text)
{
    const QStringView t = text.trimmed();
    for (const auto& c : kColors)
        if (sameTextAscii(t, QString::fromLatin1(c.name)))
            return c.value;
    if (const auto v = parseIntegerText(t); v && *v >= std::numeric_limits<qint32>::min()
                                            && *v <= std::numeric_limits<quint32>::max())
        return static_cast<quint32>(*v);
    return std::nullopt;
}

IniDocument IniDocument::load(const QString& path, bool strict)
{
    QFile f(path);
    if (!f.exists())
        return {};
    if (!f.open(QIODevice::ReadOnly)) {
        if (strict)
            throw Error(QStringLiteral("无法打开文件“%1”：%2").arg(path, f.errorString()));
        return {};
    }
    return fromBytes(f.readAll());
}

IniDocument IniDocument::fromBytes(const QByteArray& gbk)
{
    IniDocument doc;
    // Decode first: "[", "]" and "=" can be trail bytes of GBK characters.
    const QString text = fromGbk(gbk);
    doc.m_crlf = text.isEmpty() || text.contains(u"\r\n");
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QString& raw : lines) {
        if (raw.endsWith(u'\r'))
            raw.chop(1);
        Line line;
        line.text = raw;
        const QStringView t = QStringView(raw).trimmed();
        const qsizetype close = t.lastIndexOf(u']');
        const qsizetype eq = t.indexOf(u'=');
        if (t.startsWith(u'[') && close > 0) {
            line.kind = Line::Section;
            line.name = t.mid(1, close - 1).trimmed().toString();
        } else if (!t.startsWith(u';') && eq > 0) {
            line.kind = Line::Key;
            line.name = t.left(eq).trimmed().toString();
            line.value = unquote(t.mid(eq + 1).trimmed());
        }
        doc.m_lines.append(line);
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    const QString eol = m_crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString out;
    for (const Line& l : m_lines)
        out += l.text + eol;
    return toGbk(out);
}

void IniDocument::save(const QString& path) const { writeFileAtomic(path, toBytes()); }

qsizetype IniDocument::findSection(QStringView section) const
{
    const QStringView s = section.trimmed();
    for (qsizetype i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Line::Section && sameTextAscii(m_lines[i].name, s))
            return i;
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, QStringView key) const
{
    if (header < 0)
        return -1;
    const QStringView k = key.trimmed();
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Key && sameTextAscii(m_lines[i].name, k))
            return i;
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype i = findKey(findSection(section), key);
    if (i < 0)
        return std::nullopt;
    return m_lines[i].value;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    checkName(section, false);
    checkName(key, true);
    QString v = value;
    v.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    v.replace(u'\r', u' ');
    v.replace(u'\n', u' ');
    // Reading trims blanks and strips one pair of quotes; quote the value
    // when that would change it.
    const bool quote = v != v.trimmed()
                       || (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front());
    Line line;
    line.kind = Line::Key;
    line.name = key.trimmed();
    line.value = v;
    line.text = line.name + u'=' + (quote ? u'"' + v + u'"' : v);

    qsizetype h = findSection(section);
    if (h < 0) {
        if (!m_lines.isEmpty() && !m_lines.back().text.trimmed().isEmpty())
            m_lines.append(Line{});
        Line head;
        head.kind = Line::Section;
        head.name = section.trimmed();
        head.text = u'[' + head.name + u']';
        m_lines.append(head);
        m_lines.append(line);
        return;
    }
    if (const qsizetype k = findKey(h, key); k >= 0) {
        // The key keeps the spelling it has in the file.
        line.text.replace(0, line.name.size(), m_lines[k].name);
        line.name = m_lines[k].name;
        m_lines[k] = line;
        return;
    }
    // After the section's last non-blank line, so trailing blank lines keep
    // separating it from the next section.
    qsizetype at = sectionEnd(h);
    while (at > h + 1 && m_lines[at - 1].kind == Line::Other && m_lines[at - 1].text.trimmed().isEmpty())
        --at;
    m_lines.insert(at, line);
}

QStringList IniDocument::sections() const
{
    QStringList out;
    for (const Line& l : m_lines)
        if (l.kind == Line::Section && findSection(l.name) == &l - m_lines.constData())
            out.append(l.name);
    return out;
}

QStringList IniDocument::keys(QStringView section) const
{
    QStringList out;
    const qsizetype h = findSection(section);
    if (h < 0)
        return out;
    const qsizetype end = sectionEnd(h);
    for (qsizetype i = h + 1; i < end; ++i)
        if (m_lines[i].kind == Line::Key && findKey(h, m_lines[i].name) == i)
            out.append(m_lines[i].name);
    return out;
}

bool IniDocument::hasSection(QStringView section) const { return findSection(section) >= 0; }

void IniDocument::eraseSection(QStringView section)
{
    // Every section of the name: a later duplicate would otherwise surface.
    for (qsizetype h = findSection(section); h >= 0; h = findSection(section))
        m_lines.remove(h, sectionEnd(h) - h);
}

void IniDocument::eraseKey(QStringView section, QStringView key)
{
    const qsizetype h = findSection(section);
    for (qsizetype k = findKey(h, key); k >= 0; k = findKey(h, key))
        m_lines.remove(k);
}

QString IniDocument::readString(QStringView section, QStringView key, const QString& def) const
{
    return value(section, key).value_or(def);
}

int IniDocument::readInt(QStringView section, QStringView key, int def) const
{
    const auto v = value(section, key);
    const auto n = v ? parseInt32(*v) : std::nullopt;
    return n.value_or(def);
}

bool IniDocument::readBool(QStringView section, QStringView key, bool def) const
{
    const auto v = value(section, key);
    const auto n = v ? parseInt32(*v) : std::nullopt;
    return n ? *n != 0 : def;
}

double IniDocument::readDouble(QStringView section, QStringView key, double def) const
{
    const auto v = value(section, key);
    const auto n = v ? parseNumber(*v) : std::nullopt;
    return n.value_or(def);
}

quint32 IniDocument::readColor(QStringView section, QStringView key, quint32 def) const
{
    const auto v = value(section, key);
    const auto c = v ? colorFromText(*v) : std::nullopt;
    return c.value_or(def);
}

void IniDocument::writeString(const QString& section, const QString& key, const QString& value)
{
    setValue(section, key, value);
}

void IniDocument::writeInt(const QString& section, const QString& key, int value)
{
    setValue(section, key, QString::number(value));
}

void IniDocument::writeBool(const QString& section, const QString& key, bool value)
{
    setValue(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniDocument::writeDouble(const QString& section, const QString& key, double value)
{
    setValue(section, key, numberToText(value));
}

void IniDocument::writeColor(const QString& section, const QString& key, quint32 value)
{
    setValue(section, key, colorToText(value));
}

} // namespace zq
