#include "app/ui/QtMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QString captionOf(const std::string& caption)
{
    return caption.empty() ? QApplication::applicationName() : QString::fromStdString(caption);
}
} // namespace

void QtMessages::message(const std::string& text, const std::string& caption)
{
    QMessageBox::information(m_pOwner, captionOf(caption), QString::fromStdString(text));
}

Answer QtMessages::question(const std::string& text, const std::string& caption)
{
    auto b = QMessageBox::question(m_pOwner, captionOf(caption), QString::fromStdString(text),
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
}
