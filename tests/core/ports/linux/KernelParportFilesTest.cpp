// SPDX-License-Identifier: MIT
#include "ports/linux/KernelParportFiles.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/stat.h>

using namespace portprov;
namespace fs = std::filesystem;

TEST(KernelParportFiles, EachPortsFilesAsTheKernelWritesThem) {
    struct Case {
        std::map<std::string, std::string> files; // beside base-addr 888
        KernelPortAccount account;
    };
    const std::string id = "MFG:Hewlett-Packard;\nMDL:LaserJet 4;\nCLS:PRINTER;\n";
    const Case cases[] = {
        {{{"modes", "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA\n"}, {"irq", "7\n"}, {"dma", "3\n"}},
         {"parport0", 888, {true, true, true, true}, 7, 3, {}}},
        {{{"modes", "PCSPP,TRISTATE\n"}, {"irq", "none\n"}, {"dma", "-1\n"}, {"autoprobe", ""}},
         {"parport0", 888, {true, true, false, false}, {}, {}, {}}},
        {{{"modes", "PCSPP,EPP"}, {"autoprobe", id}, {"autoprobe1", "\n"}, {"autoprobe2", id}},
         {"parport0",
          888,
          {true, false, true, false},
          {},
          {},
          {"MFG:Hewlett-Packard; MDL:LaserJet 4; CLS:PRINTER;",
           "MFG:Hewlett-Packard; MDL:LaserJet 4; CLS:PRINTER;"}}},
        // Files that are not the kernel's: no number, a FIFO for the ID.
        {{{"modes", "ECP ,  TRISTATE"}, {"irq", "7a"}, {"dma", ""}, {"autoprobe0", "FIFO"}},
         {"parport0", 888, {false, true, false, true}, {}, {}, {}}},
    };
    for (const Case& c : cases) {
        const fs::path root = UniqueTestPath("portprov-kernel-account-");
        fs::create_directories(root / "parport0");
        std::ofstream(root / "parport0" / "base-addr") << "888\t1912\n";
        for (const auto& [file, text] : c.files) {
            if (text == "FIFO")
                ASSERT_EQ(::mkfifo((root / "parport0" / file).c_str(), 0600), 0);
            else
                std::ofstream(root / "parport0" / file) << text;
        }
        const std::vector<KernelPortAccount> accounts = ReadKernelPortAccounts(root.string());
        fs::remove_all(root);
        ASSERT_EQ(accounts.size(), 1u);
        EXPECT_EQ(accounts[0], c.account) << c.files.begin()->second;
    }
}

// A device ID reaches the terminal and the Portinfo dialog as it is, so it
// must carry nothing a terminal obeys or that turns the text round: each
// control, format character and byte that is no UTF-8 becomes a blank.
TEST(KernelParportFiles, ADeviceIdKeepsOnlyPrintableText) {
    const std::pair<std::string, std::string> cases[] = {
        {"MFG:HP;MDL:LaserJet 4;", "MFG:HP;MDL:LaserJet 4;"},
        {"MDL:Skrivare \xC3\xA5\xC3\xA4\xC3\xB6 \xC3\x85\xC3\x84\xC3\x96;",
         "MDL:Skrivare \xC3\xA5\xC3\xA4\xC3\xB6 \xC3\x85\xC3\x84\xC3\x96;"},
        {"MDL:\xF0\x9F\x96\xA8\xE2\x82\xAC;", "MDL:\xF0\x9F\x96\xA8\xE2\x82\xAC;"}, // 4 and 3 bytes
        {"MDL:\x1B[2J\x7F;", "MDL: [2J ;"},                                         // C0 and DEL
        {"MDL:\xC2\x9BK\xC2\x85;", "MDL: K ;"},                                     // C1: CSI, NEL
        {"MDL:\xE2\x80\xAEnogaM;", "MDL: nogaM;"},                   // right-to-left override
        {"MDL:\xE2\x81\xA6x\xE2\x81\xA9\xE2\x80\x8F;", "MDL: x  ;"}, // isolates, RLM
        {"MDL:x\xE2\x80\x8Bz\xEF\xBB\xBF\xC2\xAD;", "MDL:x z  ;"},   // ZWSP, BOM, soft hyphen
        {"MDL:\xE2\x80\xA8;", "MDL: ;"},                             // line separator
        {"MDL:\xC3\x28;", "MDL: (;"},                          // lead without its continuation
        {"MDL:\xC0\xAF\xE0\x80\xAF;", "MDL:     ;"},           // overlong '/'
        {"MDL:\xED\xA0\x80\xF4\x90\x80\x80;", "MDL:       ;"}, // surrogate, above U+10FFFF
        {"MDL:\x80\xBF\xFF\xE2\x82;", "MDL:     ;"},           // stray bytes, cut short
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(DeviceIdLine(bytes), shown) << testing::PrintToString(bytes);
}
