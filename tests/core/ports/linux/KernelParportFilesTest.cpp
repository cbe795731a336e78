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
