// Shared helpers of the printing tests: the application object, scripted print dialogs,
// voice lists built by our own writer, and readers of a listing's document structure.
#pragma once

#include "../banklib/BankTestSupport.h"
#include "../shell/TestApplication.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceNames.h"
#include "banklib/testing/FakeAppState.h"
#include "banklib/testing/FakeVoiceList.h"
#include "printing/PrintChoices.h"
#include "printing/PrintDialogs.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace printing::testing {

// One QApplication for the whole test program (offscreen), made before the first test.
inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new shell::testing::AppEnvironment<QApplication>("printing_test"));

// Print dialogs that answer from the test: each handler edits what the dialog would and
// returns whether it was confirmed. Unset handlers confirm without changes.
class ScriptedPrintDialogs final : public PrintDialogs {
public:
    bool printOptions(PrintChoices& choices, QWidget*) override
    {
        ++optionsShown;
        return onOptions ? onOptions(choices) : true;
    }
    bool choosePrinter(QPrinter& printer, QWidget*) override
    {
        ++printersShown;
        copiesOffered = printer.copyCount();
        return onPrinter ? onPrinter(printer) : true;
    }
    bool pageSetup(QPrinter& printer, PageMargins& margins, QWidget*) override
    {
        ++pageSetupsShown;
        marginsOffered = margins;
        return onPageSetup ? onPageSetup(printer, margins) : true;
    }

    std::function<bool(PrintChoices&)> onOptions;
    std::function<bool(QPrinter&)> onPrinter;
    std::function<bool(QPrinter&, PageMargins&)> onPageSetup;
    int optionsShown = 0;
    int printersShown = 0;
    int pageSetupsShown = 0;
    int copiesOffered = 0;
    PageMargins marginsOffered;
};

// A voice list of n packed voices named "VOICE 0001".. in a file of that title.
inline std::unique_ptr<banklib::testing::FakeVoiceList> makeList(std::size_t n,
                                                                 const std::string& title = "TEST.SYX")
{
    banklib::clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    const std::vector<std::uint8_t> bytes = banklib::test::packedVoices(n);
    EXPECT_FALSE(names.BuildRecordsetFromBytes(banklib::FileType::Packed, title, rs, bytes, repaired));
    return std::make_unique<banklib::testing::FakeVoiceList>("/banks/" + title, banklib::FileType::Packed,
                                                            std::move(rs));
}

// The name of voice v (1-based) of a list made by makeList.
inline QString voiceName(std::size_t v) { return QStringLiteral("VOICE %1").arg(v % 10000, 4, 10, QLatin1Char('0')); }

// The text of each listing page (split where a paragraph starts a printed page).
inline std::vector<QString> pageTexts(const QTextDocument& doc)
{
    std::vector<QString> pages;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const bool starts = (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) != 0;
        if (starts || pages.empty())
            pages.emplace_back();
        pages.back() += b.text() + QLatin1Char('\n');
    }
    return pages;
}

inline int pageStartCount(const QTextDocument& doc)
{
    int n = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            ++n;
    return n;
}

// How often a pattern occurs in a text.
inline int countOf(const QString& text, const QString& pattern)
{
    return static_cast<int>(text.count(QRegularExpression(pattern)));
}

// The banks a name page titles, in order ("BANK 3" gives 3).
inline std::vector<int> banksOn(const QString& page)
{
    std::vector<int> banks;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("BANK (\\d+)")).globalMatch(page);
    while (it.hasNext())
        banks.push_back(it.next().captured(1).toInt());
    return banks;
}

// The number of pages of a PDF file, counted from its page objects.
inline int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray data = f.readAll();
    int n = 0;
    for (qsizetype at = data.indexOf("/Type /Page"); at >= 0; at = data.indexOf("/Type /Page", at + 1)) {
        const qsizetype next = at + 11;
        if (next >= data.size() || data[next] != 's')
            ++n;
    }
    return n;
}

// The paper size of the first page of a PDF file, in points.
inline QSizeF pdfMediaBox(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]")).match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

}  // namespace printing::testing
