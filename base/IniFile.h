#pragma once
// INI files as the system stores them: GBK text, "[section]" lines followed by
// "key=value" lines. Section and key names compare with ASCII case folding and
// the first of two equal names wins. Lines the system does not know (comments,
// foreign keys, blank lines) and the order of everything are kept on rewrite.
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace zq {

// Colour text: a colour name ("clBlack", "clBackground", ...) or "$" and eight
// hexadecimal digits of the 32-bit value 00BBGGRR. System colours keep their
// 0xFF0000nn codes; resolving them to screen colours is the drawing layer's job.
QString colorToText(quint32 color);
std::optional<quint32> colorFromText(QStringView text);

// A whole INI file parsed in memory.
class IniDocument {
public:
    // A missing file gives an empty document. With strict set, a file that
    // exists but cannot be read throws zq::Error (a rewrite must never lose
    // it); otherwise it reads as empty.
    static IniDocument load(const QString& path, bool strict = false);
    static IniDocument fromBytes(const QByteArray& gbk);
    QByteArray toBytes() const;
    // Atomic rewrite; throws zq::Error when the file cannot be written.
    void save(const QString& path) const;

    std::optional<QString> value(QStringView section, QStringView key) const;
    // Creates the section and the key when missing. Line breaks in the value
    // become blanks; a name that cannot be stored as written throws zq::Error.
    void setValue(const QString& section, const QString& key, const QString& value);

    QStringList sections() const;
    QStringList keys(QStringView section) const;
    bool hasSection(QStringView section) const;
    // Removes every section of that name with all its lines.
    void eraseSection(QStringView section);
    // Removes every line of that key in the section.
    void eraseKey(QStringView section, QStringView key);

    // Typed access; a missing key or a value of the wrong form gives the default.
    QString readString(QStringView section, QStringView key, const QString& def = {}) const;
    int readInt(QStringView section, QStringView key, int def) const;
    bool readBool(QStringView section, QStringView key, bool def) const;
    double readDouble(QStringView section, QStringView key, double def) const;
    quint32 readColor(QStringView section, QStringView key, quint32 def) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void writeDouble(const QString& section, const QString& key, double value);
    void writeColor(const QString& section, const QString& key, quint32 value);

private:
    struct Line {
        enum Kind { Other, Section, Key } kind = Other;
        QString text; // the whole line as read, for Other lines
        QString name; // section or key name
        QString value;
    };
    qsizetype findSection(QStringView section) const; // index of the header line, -1 when none
    qsizetype sectionEnd(qsizetype header) const;      // index past the section's last line
    qsizetype findKey(qsizetype header, QStringView key) const;

    QList<Line> m_lines;
    bool m_crlf = true;
};

// An INI file by name: every call opens the file, reads or rewrites it and
// closes it again, so nothing is cached between uses. Reads never fail (an
// unreadable file gives the defaults); writes are atomic and throw zq::Error.
class IniFile {
public:
    explicit IniFile(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    IniDocument read() const { return IniDocument::load(m_path); }
    // Several changes in one rewrite: loads, calls edit(doc), saves.
    template <class F> void edit(F&& edit) const
    {
        IniDocument doc = IniDocument::load(m_path, true);
        edit(doc);
        doc.save(m_path);
    }

    QStringList sections() const { return read().sections(); }
    QStringList keys(QStringView section) const { return read().keys(section); }
    bool hasSection(QStringView section) const { return read().hasSection(section); }
    QString readString(QStringView section, QStringView key, const QString& def = {}) const
    {
        return read().readString(section, key, def);
    }
    int readInt(QStringView section, QStringView key, int def) const { return read().readInt(section, key, def); }
    bool readBool(QStringView section, QStringView key, bool def) const { return read().readBool(section, key, def); }
    double readDouble(QStringView section, QStringView key, double def) const
    {
        return read().readDouble(section, key, def);
    }
    quint32 readColor(QStringView section, QStringView key, quint32 def) const
    {
        return read().readColor(section, key, def);
    }

    void writeString(const QString& section, const QString& key, const QString& value) const
    {
        edit([&](IniDocument& d) { d.writeString(section, key, value); });
    }
    void writeInt(const QString& section, const QString& key, int value) const
    {
        edit([&](IniDocument& d) { d.writeInt(section, key, value); });
    }
    void writeBool(const QString& section, const QString& key, bool value) const
    {
        edit([&](IniDocument& d) { d.writeBool(section, key, value); });
    }
    void writeDouble(const QString& section, const QString& key, double value) const
    {
        edit([&](IniDocument& d) { d.writeDouble(section, key, value); });
    }
    void writeColor(const QString& section, const QString& key, quint32 value) const
    {
        edit([&](IniDocument& d) { d.writeColor(section, key, value); });
    }
    void eraseSection(const QString& section) const
    {
        edit([&](IniDocument& d) { d.eraseSection(section); });
    }
    void eraseKey(const QString& section, const QString& key) const
    {
        edit([&](IniDocument& d) { d.eraseKey(section, key); });
    }

private:
    QString m_path;
};

} // namespace zq
