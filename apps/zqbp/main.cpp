// The desktop program. Until the main window exists it opens the template
// file named on its command line in the data-entry control, so that the
// control can be tried by hand.
#include "platform/Fonts.h"
#include "view/ZqBPInput.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zqbp"));
    QApplication::setApplicationDisplayName(QStringLiteral("票据打印"));
    zq::installFontSubstitutions();

    TZqBPInput input;
    input.resize(1000, 700);
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        input.LoadFromFile(args.at(1));
        input.setWindowTitle(args.at(1));
    }
    input.show();
    return QApplication::exec();
}
