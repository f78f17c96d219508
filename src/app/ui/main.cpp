// The Arbolix application: opens the file named on the command line.
#include <QApplication>

#include "app/ui/CMainFrame.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Arbolix");
    QApplication::setOrganizationName("Arbolix");
    CMainFrame frame;
    frame.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1)
        frame.openFile(args.at(1));
    return app.exec();
}
