#pragma once
// Profile-style INI file: every read goes to the file and every write is on
// disk before it returns. Section and key names compare without letter case;
// the value is the rest of the line after "=" (trimmed), comma texts included.
#include <QString>

class TIniFile
{
public:
    explicit TIniFile(QString fileName);

    const QString& FileName() const { return FFileName; }

    // Returns def when the section or key is missing (an empty entry is "").
    QString ReadString(const QString& section, const QString& key, const QString& def = QString()) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // Replaces the first entry in place, or appends it to its section
    // (creating section and file as needed). Throws EIniWriteError on failure.
    void WriteString(const QString& section, const QString& key, const QString& value) const;

private:
    QString FFileName;
};
