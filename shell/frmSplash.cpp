// Brevane - the splash window.
#include "shell/frmSplash.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace shell {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 240;
constexpr int kTopTwips = 500;
constexpr int kTwipsPerPixel = 15;

QLabel* label(QWidget* parent, const char* name, const char* text, const char* face, int points, bool bold,
              const QColor& colour)
{
    auto* l = new QLabel(QString::fromLatin1(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont font(QString::fromLatin1(face), points, bold ? QFont::Bold : QFont::Normal);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

}  // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setFixedSize(kWidth, kHeight);
    const QColor light(0xE8, 0xE4, 0xD8);
    const QColor accent(0x2F, 0xB5, 0xA7);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 22);
    layout->addWidget(label(this, "Label1", "YAMAHA", "Times New Roman", 26, true, light));
    layout->addWidget(
        label(this, "Label2", "Digital Programmable Algorithm Synthesiser", "Arial Narrow", 12, false, light));
    layout->addStretch(1);
    layout->addWidget(label(this, "Label3", "Editor & Librarian-", "Microsoft Sans Serif", 16, true, accent));
    layout->addWidget(label(this, "Label4", "Version 1.1", "Microsoft Sans Serif", 10, false, light));
}

void frmSplash::Form_Load(int mainWindowWidth)
{
    move(mainWindowWidth / 2 - width() / 2, kTopTwips / kTwipsPerPixel);
}

// The front panel: a dark body, a membrane strip of data-entry keys and the display.
void frmSplash::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, height());
    body.setColorAt(0.0, QColor(0x3A, 0x36, 0x33));
    body.setColorAt(1.0, QColor(0x1E, 0x1C, 0x1A));
    p.fillRect(rect(), body);

    const int stripTop = height() * 62 / 100;
    p.fillRect(QRect(0, stripTop, width(), 6), QColor(0x8B, 0x1E, 0x2D));
    // The LCD and LED displays.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6F, 0x86, 0x4A));
    p.drawRoundedRect(QRect(width() - 170, 30, 140, 34), 3, 3);
    p.setBrush(QColor(0x55, 0x0E, 0x10));
    p.drawRoundedRect(QRect(width() - 220, 34, 40, 26), 2, 2);
    // A row of membrane keys.
    const int keyTop = stripTop + 16;
    for (int i = 0; i < 16; ++i) {
        const QColor key = i % 4 == 3 ? QColor(0x2F, 0xB5, 0xA7) : QColor(0x9C, 0x5A, 0x6E);
        p.setBrush(key);
        p.drawRect(QRect(width() - 28 - (16 - i) * 18, keyTop, 12, 8));
    }
}

}  // namespace shell
