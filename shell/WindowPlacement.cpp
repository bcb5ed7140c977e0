// Brevane - where the program's own windows appear.
#include "shell/WindowPlacement.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace shell {
namespace {

QMargins marginsOf(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

// The available area of the screen the frame lands on, else of reference's, else of the
// primary screen (empty without any screen).
QRect availableArea(const QRect& frame, const QWidget* reference)
{
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr)
        screen = QGuiApplication::screenAt(frame.topLeft());
    if (screen == nullptr && reference != nullptr)
        screen = reference->screen();
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

// Moves frame as little as needed into area; the top left corner wins over the rest.
QRect keptWithin(QRect frame, const QRect& area)
{
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
    return frame;
}

// The margins the window system has given the window's frame; none before it has.
QMargins platformMargins(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}

// Before any window of the program has a frame: a title bar as tall as the style draws
// one, and borders as wide as its child windows' frames.
QMargins estimatedMargins(const QWidget& window)
{
    const QStyle* style = window.style();
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    return {border, title + border, border, border};
}

QSize smallestSize(const QWidget& window) { return window.minimumSize().expandedTo(window.minimumSizeHint()); }

void fitClient(QWidget& window, const QRect& client, const QMargins& margins, const QWidget* reference)
{
    const QRect frame = client.marginsAdded(margins);
    const QRect area = availableArea(frame, reference);
    if (area.isEmpty()) {
        window.setGeometry(client);
        return;
    }
    const QSize minimum = smallestSize(window).grownBy(margins);
    window.setGeometry(fittedWithin(frame, area, minimum).marginsRemoved(margins));
}

constexpr const char* kFrameWatchName = "brevaneFrameWatch";

// Fits the window again, by its own frame, once the window system has framed it: at its
// first show, or when it is moved or resized after that, else polled for a few seconds.
class FrameWatch final : public QObject {
public:
    FrameWatch(QWidget& window, const QRect& client, const QWidget* reference)
        : QObject(&window), m_window(window), m_client(client), m_reference(reference)
    {
        setObjectName(QString::fromLatin1(kFrameWatchName));
        m_timer.setInterval(kPollMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (++m_polls > kMaxPolls)
                finish();
            else
                check();
        });
        window.installEventFilter(this);
        if (window.isVisible())
            m_timer.start();
    }

    // Stops watching; the watch goes once control is back in the event loop.
    void finish()
    {
        m_done = true;
        m_timer.stop();
        m_window.removeEventFilter(this);
        deleteLater();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && !m_done) {
            if (event->type() == QEvent::Show) {
                m_timer.start();
                check();
            } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) && m_window.isVisible()) {
                check();
            }
        }
        return false;
    }

private:
    static constexpr int kPollMs = 50;
    static constexpr int kMaxPolls = 60;

    void check()
    {
        const QMargins margins = platformMargins(m_window);
        if (margins.isNull())
            return;
        finish();
        // A window the user has maximised meanwhile stays so.
        if (!(m_window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)))
            fitClient(m_window, m_client, margins, m_reference);
    }

    QWidget& m_window;
    QRect m_client;
    QPointer<const QWidget> m_reference;
    QTimer m_timer;
    int m_polls = 0;
    bool m_done = false;
};

}  // namespace

QMargins frameMargins(const QWidget& window, const QWidget* reference)
{
    const QMargins own = marginsOf(window);
    if (!own.isNull() || reference == nullptr || !reference->isVisible())
        return own;
    return marginsOf(*reference);
}

QSize frameSize(QWidget& window, const QWidget* reference)
{
    if (!window.isVisible() && !window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    return window.size().grownBy(frameMargins(window, reference));
}

void placeFrame(QWidget& window, QPoint frameTopLeft, const QWidget* reference)
{
    const QSize size = frameSize(window, reference);
    QRect frame(frameTopLeft, size);
    const QRect area = availableArea(frame, reference);
    if (!area.isEmpty())
        frame = keptWithin(frame, area);
    const QMargins margins = frameMargins(window, reference);
    if (margins.isNull()) {
        // No frame known: where the window system can, it puts the frame at a position
        // given before the first show.
        window.move(frame.topLeft());
        return;
    }
    window.setGeometry(QRect(frame.topLeft() + QPoint(margins.left(), margins.top()), window.size()));
}

QRect fittedWithin(QRect rect, const QRect& area, QSize minimum)
{
    rect.setWidth(std::max(std::min(rect.width(), area.width()), minimum.width()));
    rect.setHeight(std::max(std::min(rect.height(), area.height()), minimum.height()));
    return keptWithin(rect, area);
}

int titleBarWidth(const QWidget& window)
{
    QFont font = window.font();
    font.setBold(true);
    const QStyle* style = window.style();
    const int button = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    // A fifth to spare: a title bar's font may be larger than the window's.
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) * 6 / 5 + 4 * button + 2 * border;
}

void fitFrame(QWidget& window, const QRect& client, const QWidget* reference)
{
    // A later placement replaces an earlier one still waiting for the frame.
    const QString watchName = QString::fromLatin1(kFrameWatchName);
    for (QObject* child : window.findChildren<QObject*>(watchName, Qt::FindDirectChildrenOnly))
        if (auto* earlier = dynamic_cast<FrameWatch*>(child))
            earlier->finish();
    QMargins margins = platformMargins(window);
    const bool framed = !margins.isNull();
    if (!framed)
        margins = frameMargins(window, reference);
    if (margins.isNull())
        margins = estimatedMargins(window);
    fitClient(window, client, margins, reference);
    if (!framed)
        new FrameWatch(window, client, reference);
}

}  // namespace shell
