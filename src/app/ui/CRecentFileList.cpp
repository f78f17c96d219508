#include "app/ui/CRecentFileList.h"

#include <QFileInfo>
#include <QSettings>

namespace {
QString keyOf(int i) { return QString("Recent File List/File%1").arg(i + 1); }
} // namespace

void CRecentFileList::load()
{
    QSettings settings("Arbolix", "Arbolix");
    m_files.clear();
    for (int i = 0; i < kSize; ++i) {
        QString f = settings.value(keyOf(i)).toString();
        if (!f.isEmpty() && !m_files.contains(f))
            m_files.append(f);
    }
}

void CRecentFileList::add(const QString& path)
{
    QString full = QFileInfo(path).absoluteFilePath();
    m_files.removeAll(full);
    m_files.prepend(full);
    while (m_files.size() > kSize)
        m_files.removeLast();
    save();
}

void CRecentFileList::remove(const QString& path)
{
    m_files.removeAll(path);
    save();
}

void CRecentFileList::save() const
{
    QSettings settings("Arbolix", "Arbolix");
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            settings.setValue(keyOf(i), m_files.at(i));
        else
            settings.remove(keyOf(i));
    }
}
