// Shared helpers of the conversion tests: the application object, folders, files and a
// small fake of the external converter, written as a shell script.
#pragma once

#include "tools/TamselRunner.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tools::testing {

// A fresh empty folder, removed with everything in it when the object goes.
class Folder {
public:
    Folder() : m_dir(QDir::tempPath() + QStringLiteral("/brevane-tools-XXXXXX")) {}
    [[nodiscard]] bool valid() const { return m_dir.isValid(); }
    // The folder with a trailing '/'.
    [[nodiscard]] std::string path() const { return m_dir.path().toStdString() + "/"; }
    [[nodiscard]] std::string file(const std::string& name) const { return path() + name; }

private:
    QTemporaryDir m_dir;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

// n bytes of a repeating pattern that fits no layout but 155-byte voices (n a multiple
// of 155): the recognition takes such a file as unpacked voices.
inline std::string unpackedVoices(int voices)
{
    std::string bytes(static_cast<std::size_t>(voices) * 155, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i % 100);
    return bytes;
}

// How the fake converter behaves.
struct FakeConverter {
    std::string line5 = "last exit code=0";  // what it leaves in line 5 of the settings file
    int chunks = 2;              // copies of the source written into each output, one per pause
    const char* pause = "0.02";  // seconds between the chunks
    bool writeOutput = true;
    bool hang = false;           // writes one chunk, then never finishes
    bool lfLineEnds = false;     // rewrites the settings file with LF line ends
    bool shortFile = false;      // leaves only three lines in the settings file
};

// Writes the fake as an executable "tamsel" into folder: it reads the settings file in
// its working folder, writes the output (or one file per 64-voice set) in chunks, then
// rewrites line 5.
inline std::string writeFakeConverter(const std::string& folder, const FakeConverter& fake = {})
{
    std::string script = R"SH(#!/bin/sh
ini=Tamsel.ini
value() { sed -n "$1p" $ini | tr -d '\r' | sed 's/^[^=]*=//'; }
mode=$(value 1)
type=$(value 2)
src=$(value 3 | sed 's/^C:\\//')
out=$(value 4 | sed 's/^C:\\//')
put() {
  : > "$1"
  i=0
  while [ $i -lt CHUNKS ]; do
    cat "$src" >> "$1"
    HANG
    sleep PAUSE
    i=$((i+1))
  done
}
if [ WRITE = 1 ]; then
  if [ "$mode" = 1 ]; then
    case $type in 0) bank=4960;; 1) bank=5216;; 2) bank=4096;; *) bank=4104;; esac
    size=$(wc -c < "$src")
    sets=$(( (size + 2 * bank - 1) / (2 * bank) ))
    base=${out%???}
    n=0
    while [ $n -lt $sets ]; do put "$base$(printf %03d $n)"; n=$((n+1)); done
  else
    put "$out"
  fi
fi
sed -i '5s/.*/LINE5\r/' $ini
)SH";
    const auto replace = [&script](const std::string& what, const std::string& with) {
        for (std::size_t at = script.find(what); at != std::string::npos; at = script.find(what, at + with.size()))
            script.replace(at, what.size(), with);
    };
    replace("CHUNKS", std::to_string(fake.chunks));
    replace("PAUSE", fake.pause);
    replace("WRITE", fake.writeOutput ? "1" : "0");
    replace("HANG", fake.hang ? "exec sleep 600" : ":");
    replace("LINE5", fake.line5);
    if (fake.lfLineEnds)
        script += "sed -i 's/\\r$//' $ini\n";
    if (fake.shortFile)
        script += "head -n 3 $ini > short.tmp && mv short.tmp $ini\n";
    const std::string path = folder + "tamsel";
    writeFile(path, script);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// The runner that starts the fake in folder.
inline TamselRunner fakeRunner(const std::string& folder)
{
    TamselRunner runner;
    runner.kind = TamselRunner::Kind::Native;
    runner.program = folder + "tamsel";
    runner.copies.emplace_back(runner.program, "tamsel");
    return runner;
}

// Handles events until done() holds (for at most 60 s, so a broken run fails the test
// instead of hanging it).
template <class Done>
bool waitUntil(Done done)
{
    return QTest::qWaitFor(done, 60'000);
}

inline std::string realBanks() { return BREVANE_REAL_BANKS; }
inline bool haveRealBanks() { return std::filesystem::is_directory(realBanks()); }

}  // namespace tools::testing
