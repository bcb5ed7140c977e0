// Brevane - the help window.
#include "shell/frmHelp.h"

#include "shell/HelpTopics.h"
#include "shell/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace shell {
namespace {

constexpr int kTopicRole = Qt::UserRole + 1;

// Pages in contents order; pages found in the folder but not listed here follow them.
const QStringList kPageOrder = {QStringLiteral("index.htm"), QStringLiteral("QuickTour.htm"),
                                QStringLiteral("MDIMain.htm"), QStringLiteral("VoiceList.htm"),
                                QStringLiteral("VoiceEditor.htm"), QStringLiteral("PatchGenerator.htm"),
                                QStringLiteral("MidiManager.htm"), QStringLiteral("MidiFilePlayer.htm"),
                                QStringLiteral("PrintPreview.htm"), QStringLiteral("Options.htm"),
                                QStringLiteral("Settings.htm"), QStringLiteral("Support.htm")};

QString plainText(const QString& html) { return QTextDocumentFragment::fromHtml(html).toPlainText().simplified(); }

}  // namespace

frmHelp::frmHelp(QWidget* parent, const QString& pagesFolder) : QWidget(parent, Qt::Window), m_folder(pagesFolder)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Brevane Help"));
    resize(820, 560);

    m_tabs = new QTabWidget;
    m_contents = new QTreeWidget;
    m_contents->setHeaderHidden(true);
    m_tabs->addTab(m_contents, QStringLiteral("&Contents"));

    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    m_indexFilter = new QLineEdit;
    m_indexFilter->setPlaceholderText(QStringLiteral("Type a keyword"));
    m_index = new QListWidget;
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);
    m_tabs->addTab(indexPage, QStringLiteral("&Index"));

    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    auto* queryRow = new QHBoxLayout;
    m_query = new QLineEdit;
    m_query->setPlaceholderText(QStringLiteral("Words to search for"));
    auto* go = new QPushButton(QStringLiteral("&List Topics"));
    queryRow->addWidget(m_query);
    queryRow->addWidget(go);
    m_results = new QListWidget;
    searchLayout->addLayout(queryRow);
    searchLayout->addWidget(m_results);
    m_tabs->addTab(searchPage, QStringLiteral("&Search"));

    m_browser = new QTextBrowser;
    m_browser->setSearchPaths({m_folder});
    m_browser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(splitter);

    auto open = [this](QListWidgetItem* item) {
        if (item)
            showTopic(item->data(kTopicRole).toString());
    };
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { showTopic(item->data(0, kTopicRole).toString()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { showTopic(item->data(0, kTopicRole).toString()); });
    connect(m_index, &QListWidget::itemActivated, this, open);
    connect(m_index, &QListWidget::itemClicked, this, open);
    connect(m_results, &QListWidget::itemActivated, this, open);
    connect(m_results, &QListWidget::itemClicked, this, open);
    connect(m_indexFilter, &QLineEdit::textChanged, this, &frmHelp::fillIndex);
    connect(m_query, &QLineEdit::returnPressed, this, &frmHelp::runSearch);
    connect(go, &QPushButton::clicked, this, &frmHelp::runSearch);

    loadPages();
    fillContents();
    fillIndex(QString());
}

// The first time the window shows, it comes up centred over its owner (else on the
// screen), with its whole frame on the screen.
void frmHelp::showEvent(QShowEvent* event)
{
    if (!m_placed && !event->spontaneous()) {
        m_placed = true;
        const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        QRect over = owner != nullptr && owner->isVisible() ? owner->frameGeometry() : QRect();
        if (over.isEmpty() && screen() != nullptr)
            over = screen()->availableGeometry();
        QRect client(QPoint(), size());
        client.moveCenter(over.center());
        fitFrame(*this, client, owner);
    }
    QWidget::showEvent(event);
}

void frmHelp::loadPages()
{
    QStringList pages = QDir(m_folder).entryList({QStringLiteral("*.htm")}, QDir::Files, QDir::Name);
    std::stable_sort(pages.begin(), pages.end(), [](const QString& a, const QString& b) {
        const auto rank = [](const QString& p) {
            const auto i = kPageOrder.indexOf(p);
            return i < 0 ? kPageOrder.size() : i;
        };
        return rank(a) < rank(b);
    });

    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression heading(
        QStringLiteral("<h([23])[^>]*>\\s*<a name=\"([^\"]+)\"[^>]*>(.*?)</a>\\s*</h\\1>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);

    for (const QString& page : pages) {
        QFile file(m_folder + QLatin1Char('/') + page);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString html = QString::fromUtf8(file.readAll());
        const auto t = title.match(html);
        HelpSection pageSection{page, QString(), t.hasMatch() ? plainText(t.captured(1)) : page, 1, {}};
        // Each section's text runs from its heading to the next one.
        std::vector<HelpSection> headings;
        std::vector<qsizetype> starts;
        for (auto it = heading.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            headings.push_back({page, m.captured(2), plainText(m.captured(3)), m.captured(1).toInt() , {}});
            starts.push_back(m.capturedStart());
        }
        const qsizetype bodyEnd = starts.empty() ? html.size() : starts.front();
        pageSection.text = plainText(html.left(bodyEnd));
        m_sections.push_back(pageSection);
        for (std::size_t i = 0; i < headings.size(); ++i) {
            const qsizetype end = i + 1 < starts.size() ? starts[i + 1] : html.size();
            headings[i].text = plainText(html.mid(starts[i], end - starts[i]));
            m_sections.push_back(headings[i]);
        }
    }
}

void frmHelp::fillContents()
{
    m_contents->clear();
    QTreeWidgetItem* pageItem = nullptr;
    QTreeWidgetItem* headingItem = nullptr;
    for (const HelpSection& s : m_sections) {
        QTreeWidgetItem* item = nullptr;
        if (s.level == 1 || !pageItem)
            item = pageItem = new QTreeWidgetItem(m_contents);
        else if (s.level == 2 || !headingItem)
            item = headingItem = new QTreeWidgetItem(pageItem);
        else
            item = new QTreeWidgetItem(headingItem);
        item->setText(0, s.title);
        item->setData(0, kTopicRole, s.topic());
    }
}

void frmHelp::fillIndex(const QString& filter)
{
    std::vector<const HelpSection*> entries;
    for (const HelpSection& s : m_sections)
        if (filter.isEmpty() || s.title.contains(filter, Qt::CaseInsensitive))
            entries.push_back(&s);
    std::stable_sort(entries.begin(), entries.end(), [](const HelpSection* a, const HelpSection* b) {
        return QString::compare(a->title, b->title, Qt::CaseInsensitive) < 0;
    });
    m_index->clear();
    for (const HelpSection* s : entries) {
        auto* item = new QListWidgetItem(s->title, m_index);
        item->setData(kTopicRole, s->topic());
    }
}

QStringList frmHelp::search(const QString& query) const
{
    const QStringList words = query.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    QStringList topics;
    if (words.isEmpty())
        return topics;
    for (const HelpSection& s : m_sections) {
        const QString haystack = s.title + QLatin1Char(' ') + s.text;
        if (std::all_of(words.begin(), words.end(),
                        [&](const QString& w) { return haystack.contains(w, Qt::CaseInsensitive); }))
            topics << s.topic();
    }
    return topics;
}

void frmHelp::runSearch()
{
    m_results->clear();
    const QStringList topics = search(m_query->text());
    for (const QString& topic : topics) {
        for (const HelpSection& s : m_sections) {
            if (s.topic() != topic)
                continue;
            auto* item = new QListWidgetItem(s.title, m_results);
            item->setData(kTopicRole, topic);
            break;
        }
    }
    if (topics.isEmpty())
        new QListWidgetItem(QStringLiteral("No topics found."), m_results);
}

QString frmHelp::resolveTopic(const QString& topic) const
{
    const QString wanted = QString::fromStdString(normaliseHelpTopic(topic.toStdString()));
    const QString page = wanted.section(QLatin1Char('#'), 0, 0);
    const QString anchor = wanted.section(QLatin1Char('#'), 1);
    const auto same = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
    // Every page has a section of its own (an empty anchor), and every anchor a heading.
    const auto pageSection = std::find_if(m_sections.begin(), m_sections.end(), [&](const HelpSection& s) {
        return s.anchor.isEmpty() && same(s.page, page);
    });
    if (pageSection == m_sections.end())
        return QString::fromLatin1(kHelpContentsPage);
    if (!anchor.isEmpty()) {
        for (const HelpSection& s : m_sections)
            if (s.page == pageSection->page && same(s.anchor, anchor))
                return s.topic();
    }
    return pageSection->page;
}

// A modal dialog (Options, an open or save dialog, the device dialog) blocks every window
// but its own. Help asked for while one is open is made the dialog's, as the dialog's
// message boxes are, so that it can be read, searched and closed with the dialog still
// open. Asked for otherwise, it is its owner's again.
void frmHelp::bringForward()
{
    followModalDialog(nullptr);
    show();
    raise();
    activateWindow();
}

void frmHelp::followModalDialog(const QWidget* closing)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == closing)
        modal = nullptr;
    if (modal != m_over) {
        if (m_over)
            m_over->removeEventFilter(this);
        m_over = modal;
        if (modal != nullptr)
            modal->installEventFilter(this);
    }
    const QWidget* owner = modal != nullptr ? modal : parentWidget();
    (void)winId();
    QWindow* ownerWindow = owner != nullptr ? owner->window()->windowHandle() : nullptr;
    if (windowHandle()->transientParent() != ownerWindow)
        windowHandle()->setTransientParent(ownerWindow);
}

// When the dialog closes, a window manager brings the main window up over the help, as a
// click on the dialog may have done before: the help is raised again, to be read on.
bool frmHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_over && event->type() == QEvent::Hide) {
        if (isVisible()) {
            followModalDialog(m_over);
            raise();
        } else {
            m_over->removeEventFilter(this);
            m_over = nullptr;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmHelp::showTopic(const QString& topic)
{
    const QString t = resolveTopic(topic);
    m_browser->setSource(QUrl(t));
    bringForward();
}

void frmHelp::showContents()
{
    m_tabs->setCurrentIndex(0);
    showTopic(QString());
}

void frmHelp::showIndex()
{
    m_tabs->setCurrentIndex(1);
    if (m_browser->source().isEmpty())
        showTopic(QString());
    bringForward();
    m_indexFilter->setFocus();
}

void frmHelp::showSearch()
{
    m_tabs->setCurrentIndex(2);
    if (m_browser->source().isEmpty())
        showTopic(QString());
    bringForward();
    m_query->setFocus();
}

QString frmHelp::currentTopic() const
{
    const QUrl source = m_browser->source();
    QString topic = source.fileName();
    if (source.hasFragment())
        topic += QLatin1Char('#') + source.fragment();
    return topic;
}

}  // namespace shell
