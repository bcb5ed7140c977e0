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
#include <QtEndian>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
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

// A voice list of n packed voices named "VOICE 0001".. in a file of that title; the first
// voices take the names given, if any (blank-padded to 10 characters).
inline std::unique_ptr<banklib::testing::FakeVoiceList> makeList(std::size_t n,
                                                                 const std::string& title = "TEST.SYX",
                                                                 const std::vector<std::string>& firstNames = {})
{
    banklib::clsVoiceNames names;
    platform::Recordset rs;
    bool repaired = false;
    std::vector<std::uint8_t> bytes = banklib::test::packedVoices(n);
    for (std::size_t i = 0; i < firstNames.size() && i < n; ++i) {
        std::string name = firstNames[i];
        name.resize(banklib::kNameLength, ' ');
        const std::size_t at = (i + 1) * banklib::kPackedVoiceSize - banklib::kNameLength;
        std::copy(name.begin(), name.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    }
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

// The text of a PDF file as our PDF writer draws it: one string per text object (BT .. ET)
// in drawing order, each glyph read back through its font's ToUnicode map. The writer
// draws a tab with the blank's glyph, so that glyph reads as a blank whichever of the two
// the map names.
inline QStringList pdfTextRuns(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pdf = f.readAll();
    const QString text = QString::fromLatin1(pdf);
    auto match = [](const QString& pattern, const QString& in) { return QRegularExpression(pattern).match(in); };
    auto all = [](const QString& pattern, const QString& in) { return QRegularExpression(pattern).globalMatch(in); };
    // Where object id's body starts, and the body.
    auto start = [&](const QString& id) {
        const QRegularExpressionMatch m = match(QStringLiteral("(?<![0-9])%1 0 obj").arg(id), text);
        return m.hasMatch() ? m.capturedEnd() : qsizetype(-1);
    };
    auto body = [&](const QString& id) {
        const qsizetype at = start(id);
        return at < 0 ? QString() : text.mid(at, text.indexOf(QStringLiteral("endobj"), at) - at);
    };
    // The bytes of object id's stream, inflated.
    auto stream = [&](const QString& id) {
        const qsizetype at = start(id);
        const qsizetype data = at < 0 ? -1 : text.indexOf(QStringLiteral("stream\n"), at);
        if (data < 0)
            return QByteArray();
        const QString dict = text.mid(at, data - at);
        const QRegularExpressionMatch length = match(QStringLiteral("/Length ([0-9]+)( 0 R)?"), dict);
        const QString size = length.captured(2).isEmpty() ? length.captured(1) : body(length.captured(1));
        const QByteArray raw = pdf.mid(data + 7, size.trimmed().toLongLong());
        if (!dict.contains(QStringLiteral("/FlateDecode")))
            return raw;
        // qUncompress wants the size first; it grows past a low guess.
        QByteArray sized(4, '\0');
        qToBigEndian(static_cast<quint32>(raw.size() * 8), sized.data());
        return qUncompress(sized + raw);
    };

    // Each font resource's glyph codes and their characters.
    std::map<QString, std::map<uint, QChar>> fonts;
    for (auto r = all(QStringLiteral("/(F[0-9]+) ([0-9]+) 0 R"), text); r.hasNext();) {
        const QRegularExpressionMatch font = r.next();
        const QRegularExpressionMatch map = match(QStringLiteral("/ToUnicode ([0-9]+) 0 R"), body(font.captured(2)));
        if (!map.hasMatch())
            continue;
        const QString cmap = QString::fromLatin1(stream(map.captured(1)));
        // "<first> <last> [<u> <u> ..]" or "<first> <last> <u>" (the u counting up).
        const QString range = QStringLiteral("<([0-9A-F]+)> <([0-9A-F]+)> (\\[[^\\]]*\\]|<[0-9A-F]+>)");
        for (auto m = all(range, cmap); m.hasNext();) {
            const QRegularExpressionMatch entry = m.next();
            const QString to = entry.captured(3);
            auto targets = all(QStringLiteral("<([0-9A-F]+)>"), to);
            const uint first = entry.captured(1).toUInt(nullptr, 16);
            for (uint code = first; code <= entry.captured(2).toUInt(nullptr, 16); ++code) {
                uint target = 0;
                if (!to.startsWith(QLatin1Char('<')))
                    target = targets.hasNext() ? targets.next().captured(1).toUInt(nullptr, 16) : 0xFFFD;
                else
                    target = to.mid(1, to.size() - 2).toUInt(nullptr, 16) + code - first;
                fonts[font.captured(1)][code] = QChar(target == '\t' ? u' ' : static_cast<char16_t>(target));
            }
        }
    }

    // The pages' content: the glyphs of each Tj in the font of the last Tf.
    QStringList runs;
    for (auto page = all(QStringLiteral("/Contents ([0-9]+) 0 R"), text); page.hasNext();) {
        const QString content = QString::fromLatin1(stream(page.next().captured(1)));
        QString font;
        QString run;
        for (auto op = all(QStringLiteral("/(F[0-9]+) [0-9.]+ Tf|<([0-9A-F]+)> Tj|\\bET\\b"), content);
             op.hasNext();) {
            const QRegularExpressionMatch m = op.next();
            if (!m.captured(1).isEmpty()) {
                font = m.captured(1);
            } else if (!m.captured(2).isEmpty()) {
                for (qsizetype i = 0; i + 4 <= m.captured(2).size(); i += 4) {
                    const auto glyph = fonts[font].find(m.captured(2).mid(i, 4).toUInt(nullptr, 16));
                    run += glyph == fonts[font].end() ? QChar(QChar::ReplacementCharacter) : glyph->second;
                }
            } else {
                runs << run;
                run.clear();
            }
        }
    }
    return runs;
}

}  // namespace printing::testing
