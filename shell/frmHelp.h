// Brevane - the help window: the program's HTML help pages with contents, index and search.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QLineEdit;
class QShowEvent;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

namespace shell {

// One titled section of a help page: the page's own title (empty anchor) or a heading
// with an anchor.
struct HelpSection {
    QString page;    // "MDIMain.htm"
    QString anchor;  // "FileOpen", or empty for the page itself
    QString title;
    int level = 1;   // 1 page, 2 and 3 headings
    QString text;    // plain text of the section, for the search
    [[nodiscard]] QString topic() const { return anchor.isEmpty() ? page : page + QLatin1Char('#') + anchor; }
};

class frmHelp final : public QWidget {
    Q_OBJECT
public:
    // pagesFolder holds the pages ("index.htm", "MDIMain.htm", ...); by default the ones
    // built into the program.
    explicit frmHelp(QWidget* parent = nullptr, const QString& pagesFolder = QStringLiteral(":/help"));

    // Shows a topic ("MDIMain.htm#FileOpen"), found as resolveTopic finds it.
    void showTopic(const QString& topic);
    // The page and anchor a topic leads to ("::/midimanager.htm#SLOTS" gives
    // "MidiManager.htm#Slots"): page names and anchors are matched without regard to
    // letter case, as in a help file. An unknown page leads to the contents page, an
    // unknown anchor to the top of its page.
    [[nodiscard]] QString resolveTopic(const QString& topic) const;
    void showContents();
    void showIndex();
    void showSearch();

    // Sections of every page, in contents order.
    [[nodiscard]] const std::vector<HelpSection>& sections() const { return m_sections; }
    // Topics of the sections whose text holds every word of query (letter case ignored).
    [[nodiscard]] QStringList search(const QString& query) const;
    // The page and anchor shown now ("MDIMain.htm#FileOpen").
    [[nodiscard]] QString currentTopic() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows, raises and activates the window, above a modal dialog open now.
    void bringForward();
    // Makes the window the modal dialog's open now (but closing), else its owner's, and
    // watches that dialog close.
    void followModalDialog(const QWidget* closing);
    void loadPages();
    void fillContents();
    void fillIndex(const QString& filter);
    void runSearch();

    QString m_folder;
    bool m_placed = false;  // placed at its first show; after that where the user left it
    QPointer<QWidget> m_over;  // the modal dialog the window was last shown over, while open
    std::vector<HelpSection> m_sections;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_contents = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    QListWidget* m_index = nullptr;
    QLineEdit* m_query = nullptr;
    QListWidget* m_results = nullptr;
    QTextBrowser* m_browser = nullptr;
};

}  // namespace shell
