// The cache places, the one join of a folder and a name, and the local file helpers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/base/files.h"
#include "retrieval/cache_places.h"
#include "test_site.h"

namespace lumbra {
namespace {

TEST(CachePlacesTest, FixedPlaces) {
  const CachePlaces places("C:\\WINDOWS\\", "C:\\KX");
  EXPECT_EQ(places.SiteIni("ostrel.ini"), "C:\\WINDOWS\\ostrel.ini");
  EXPECT_EQ(places.Card("A.CDF").path, "C:\\KX\\cards\\A.CDF");
  EXPECT_EQ(places.Link("L.LNK").path, "C:\\KX\\links\\L.LNK");
  EXPECT_EQ(places.Bitmap("logo.bmp").path, "C:\\KX\\bitmap\\logo.bmp");
  EXPECT_EQ(places.Handler("h.evt").path, "C:\\KX\\handlers\\h.evt");
  EXPECT_EQ(places.SingleCardPhoto(), "C:\\KX\\newphoto.jpg");
  EXPECT_EQ(places.BatchPhoto("2").path, "C:\\KX\\2.jpg");
}

TEST(CachePlacesTest, NamesThatWouldLeaveTheirFolderAreRefused) {
  const CachePlaces places("C:\\WINDOWS\\", "C:\\KX");
  for (const char* name : {"..\\kx.ini", "../x", "sub\\a.bmp", "/etc/passwd", "..", ".", "D:evil.bmp"}) {
    SCOPED_TRACE(name);
    const auto place = places.Bitmap(name);
    EXPECT_FALSE(place);
    EXPECT_EQ(place.path, "");
    EXPECT_NE(place.refusal.find(std::string("\"") + name + "\""), std::string::npos) << place.refusal;
    EXPECT_NE(place.refusal.find("C:\\KX\\bitmap"), std::string::npos);
  }
  EXPECT_FALSE(places.BatchPhoto("..\\..\\1"));
  EXPECT_TRUE(places.Bitmap("a..b.bmp"));
}

TEST(LocalFilesTest, FileInFolderAndDeleteLocalFile) {
  testing::TempFolder folder;
  const FileSystem files(folder.Path());
  const auto handlers = folder.Path() / "handlers";
  folder.Write("handlers/Print.EVT", "x");
  EXPECT_TRUE(FileInFolder(files, handlers.string(), "print.evt"));
  EXPECT_EQ(FileSystem::CurrentFolder(), handlers.string());
  EXPECT_FALSE(FileInFolder(files, handlers.string(), "other.evt"));
  EXPECT_FALSE(FileInFolder(files, (folder.Path() / "missing").string(), "print.evt"));

  DeleteLocalFile(files, (handlers / "Print.EVT").string());
  EXPECT_FALSE(std::filesystem::exists(handlers / "Print.EVT"));
  DeleteLocalFile(files, (handlers / "Print.EVT").string());  // already gone: no complaint
  std::filesystem::current_path(std::filesystem::temp_directory_path());
}

}  // namespace
}  // namespace lumbra
