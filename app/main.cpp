// Brevane - librarian and editor for DX7 voices.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brevane"));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
