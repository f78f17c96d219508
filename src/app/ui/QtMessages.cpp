#include "app/ui/QtMessages.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QString captionOf(const std::string& caption)
{
    return caption.empty() ? QApplication::applicationName() : QString::fromStdString(caption);
}
} // namespace

QWidget* QtMessages::owner() const
{
    // A message raised inside a modal dialog belongs on top of that dialog.
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : m_pOwner;
}

void QtMessages::message(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::NoIcon, captionOf(caption), QString::fromStdString(text), QMessageBox::Ok, owner());
    box.exec();
}

Answer QtMessages::question(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Question, captionOf(caption), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner());
    box.setDefaultButton(QMessageBox::Yes);
    int b = box.exec();
    return b == QMessageBox::Yes ? Answer::Yes : b == QMessageBox::No ? Answer::No : Answer::Cancel;
}
