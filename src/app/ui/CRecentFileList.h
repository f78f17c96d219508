#pragma once
#include <QStringList>

// The 4 most recently used files, most recent first, kept in the settings
// store "Arbolix" (section "Recent File List", keys "File1" to "File4").
class CRecentFileList {
public:
    static constexpr int kSize = 4;

    void load();
    // Puts the file at the top (once); the oldest falls off after 4.
    void add(const QString& path);
    void remove(const QString& path);
    const QStringList& files() const { return m_files; }

private:
    void save() const;
    QStringList m_files;
};
