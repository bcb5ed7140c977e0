// A Qt input plugin for the install test: loaded into the installed program
// (QT_QPA_GENERIC_PLUGINS=brevanefilenew), it types Ctrl+N, File > New, into the main window
// once the program waits for input. When a voice list of "DXInit.dat" has opened it closes
// the main window as its close button does and answers No to the list's save question, so
// the program ends as a user ends it (writing its settings) with exit code 0. Any other
// message box ends it with exit code 1 (its text goes to stderr).
#include <QAbstractButton>
#include <QApplication>
#include <QGenericPlugin>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

class FileNewDriver : public QObject {
public:
    FileNewDriver()
    {
        connect(&m_poll, &QTimer::timeout, this, &FileNewDriver::poll);
        m_poll.start(100);
    }

private:
    static QMainWindow* mainWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* main = qobject_cast<QMainWindow*>(w); main && main->isVisible())
                return main;
        return nullptr;
    }

    void poll()
    {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            // Closing asks whether to save the new list: No, and the program goes on ending.
            if (m_closing && !m_answered && box->text().contains(QStringLiteral("must be saved under a different name")) &&
                box->button(QMessageBox::No) != nullptr) {
                m_answered = true;
                box->button(QMessageBox::No)->click();
                return;
            }
            std::fprintf(stderr, "message box: %s\n", qPrintable(box->text()));
            QCoreApplication::exit(1);
            return;
        }
        // The main event loop runs (start-up is over) and no dialog is up.
        QMainWindow* main = mainWindow();
        if (m_closing || main == nullptr || QThread::currentThread()->loopLevel() != 1 ||
            QApplication::activeModalWidget())
            return;
        if (!m_typed) {
            m_typed = true;
            // From a timer of its own, so that this one still looks for message boxes meanwhile.
            QTimer::singleShot(0, main, [main] {
                main->activateWindow();
                QTest::keyClick(main, Qt::Key_N, Qt::ControlModifier);
            });
            return;
        }
        for (QMdiSubWindow* list : main->findChildren<QMdiSubWindow*>()) {
            // Its caption: "DXInit [ 32 patches ]".
            if (list->windowTitle().startsWith(QStringLiteral("DXInit "))) {
                std::fprintf(stderr, "File > New opened %s\n", qPrintable(list->windowTitle()));
                m_closing = true;
                QTimer::singleShot(0, main, [main] { main->close(); });
                return;
            }
        }
    }

    QTimer m_poll;
    bool m_typed = false;
    bool m_closing = false;
    bool m_answered = false;
};

}  // namespace

class FileNewDriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "filenew.json")

public:
    QObject* create(const QString& key, const QString&) override
    {
        return key.compare(QStringLiteral("brevanefilenew"), Qt::CaseInsensitive) == 0 ? new FileNewDriver : nullptr;
    }
};

#include "FileNewDriver.moc"
