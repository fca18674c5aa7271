#include "records/store_layout.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(StoreLayout, NamesOfTheMedium) {
    const std::string task = transferStoreFolder("/media/usb/", "AB12CD34");
    EXPECT_EQ(profileFilePath("/media/usb/"), "/media/usb/Tarvela.cfg");
    EXPECT_EQ(task, "/media/usb/Task/AB12CD34");
    EXPECT_EQ(storeRoot(task, Side::Work), task + "/WFiles");
    EXPECT_EQ(storeRoot(task, Side::Home), task + "/HFiles");
    EXPECT_EQ(storeFolder(task, Side::Work, 1), task + "/WFiles/Folder_1/");
    EXPECT_EQ(storeFolder(task, Side::Home, 10), task + "/HFiles/Folder_10/");
    EXPECT_EQ(tableFile(task, Side::Work, 10), task + "/WTabFile_10.dat");
    EXPECT_EQ(tableFile(task, Side::Home, 3), task + "/HTabFile_3.dat");
    EXPECT_EQ(logFile(task, "AB12CD34"), task + "/AB12CD34.log");
}

} // namespace
} // namespace tarvela
