// Reads a small INI text with Tavisco and writes it back.
#include "inifile/ClassFactory.h"
#include "inifile/INIFile.h"

#include <cstdio>

int main()
{
    const tavisco::Ref<tavisco::INIFile> ini = tavisco::Create<tavisco::INIFile>();
    if (!ini)
        return 1;
    ini->setText("[Voices]\r\nBank=ROM1A.dat\r\n");
    const std::string text = ini->Text();
    std::printf("%s", text.c_str());
    return ini->Sections()->Count() == 1 && text.find("Bank=ROM1A.dat") != std::string::npos ? 0 : 1;
}
