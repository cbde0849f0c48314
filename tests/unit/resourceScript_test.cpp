#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "engine/core/exception.h"
#include "engine/core/formatTable.h"
#include "engine/core/logging.h"
#include "engine/core/resourceLoader.h"
#include "engine/core/resourceManager.h"
#include "support/scratch_dir.h"

using engine::core::Exception;
using engine::core::ReadResourceScript;
using engine::core::Resource;
using engine::core::ResourceDescriptor;
using engine::core::ResourceManager;

namespace {

class ResourceScriptTest : public ::testing::Test {
 protected:
  void TearDown() override { delete engine::core::Logging::mInstance; }

  // Runs `source` as a resource script for a 1280x720 window and returns what it declared.
  std::vector<ResourceDescriptor> Read(const std::string& source) {
    dir.Write("data/startup.resources", source);
    std::vector<ResourceDescriptor> seen;
    ReadResourceScript("data\\startup.resources", 1280, 720,
                       [&seen](const ResourceDescriptor& d) { seen.push_back(d); });
    return seen;
  }

  std::wstring ErrorOf(const std::string& source) {
    try {
      Read(source);
    } catch (const Exception& e) {
      return e.GetText();
    }
    return L"";
  }

  testing_support::ScratchDir dir;
};

TEST(FormatTableTest, NamesMapToTheirCodes) {
  const auto table = engine::core::BuildFormatTable();
  EXPECT_EQ(table.size(), 89u);
  EXPECT_EQ(table.at("FMT_UNKNOWN"), 0);
  EXPECT_EQ(table.at("FMT_R32_TYPELESS"), 39);
  EXPECT_EQ(table.at("FMT_D24_UNORM_S8_UINT"), 45);
  EXPECT_EQ(table.at("FMT_R16G16B16A16_FLOAT"), 10);
  EXPECT_EQ(table.at("FMT_BC3_UNORM_SRGB"), 78);
  EXPECT_EQ(table.at("FMT_B8G8R8X8_UNORM"), 88);
}

TEST_F(ResourceScriptTest, EveryKindReadsItsPositions) {
  const auto seen = Read(
      "resources = {\n"
      "  { TEXTURE, 'data\\\\tex.png', FMT_R8G8B8A8_UNORM },\n"
      "  { RENDERTARGET, 'half', WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2, FMT_R16G16B16A16_FLOAT, NO_MULTISAMPLING },\n"
      "  { DEPTHTARGET, 'shadow', 1024, 512, true, FMT_R32_TYPELESS, MULTISAMPLED },\n"
      "  { DEPTHARRAY, 'cascades', 3, 2048, 1024, false, FMT_D24_UNORM_S8_UINT, NEEDS_MULTISAMPLING, 'extra' },\n"
      "  { SHADER, 'data/fx/blur.fx' },\n"
      "  { NBLMESH, 'data/part1_scene/cube.nbl' },\n"
      "}\n");
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].name, L"data\\tex.png");
  EXPECT_EQ(seen[0].format, 28);
  EXPECT_EQ(seen[1].kind, 1);
  EXPECT_EQ(seen[1].width, 640);
  EXPECT_EQ(seen[1].height, 360);
  EXPECT_EQ(seen[1].format, 10);
  EXPECT_EQ(seen[1].multisampleMode, 2);
  EXPECT_TRUE(seen[2].shaderReadable);
  EXPECT_EQ(seen[2].format, 39);
  EXPECT_EQ(seen[2].multisampleMode, 0);
  EXPECT_EQ(seen[3].arraySize, 3);
  EXPECT_EQ(seen[3].width, 2048);
  EXPECT_FALSE(seen[3].shaderReadable);
  EXPECT_EQ(seen[3].format, 45);
  EXPECT_EQ(seen[3].multisampleMode, 1);
  EXPECT_EQ(seen[4].kind, 4);
  EXPECT_EQ(seen[5].name, L"data/part1_scene/cube.nbl");
}

TEST_F(ResourceScriptTest, ConversionsFollowLuaTruthAndTruncation) {
  const auto seen = Read(
      "resources = {\n"
      "  { DEPTHTARGET, 'zero is true', 64, 64, 0, FMT_R32_TYPELESS, 2 },\n"
      "  { RENDERTARGET, 'fraction', 640.9, -3.7, 'x', nil },\n"
      "  { RENDERTARGET, nil, 1e300, 0/0, -1e300 },\n"
      "}\n");
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].shaderReadable);
  EXPECT_EQ(seen[1].width, 640);
  EXPECT_EQ(seen[1].height, -3);
  EXPECT_EQ(seen[1].format, 0);
  EXPECT_EQ(seen[1].multisampleMode, 0);
  EXPECT_EQ(seen[2].name, L"");
  EXPECT_EQ(seen[2].width, 2147483647);
  EXPECT_EQ(seen[2].height, 0);
  EXPECT_EQ(seen[2].format, -2147483647 - 1);
}

TEST_F(ResourceScriptTest, HolesEndTheListAndUnknownKindsAreSkipped) {
  const auto seen = Read(
      "resources = { { SHADER, 'a' }, { 6, 'six' }, { -1, 'negative' }, { SHADER, 'b' }, nil, { SHADER, 'c' } }\n");
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].name, L"a");
  EXPECT_EQ(seen[1].name, L"b");
  EXPECT_TRUE(Read("resources = {}\n").empty());
}

TEST_F(ResourceScriptTest, MalformedScriptsRaiseTheirErrors) {
  EXPECT_EQ(ErrorOf("x = 1\n"), L"Resources must be a table");
  EXPECT_EQ(ErrorOf("resources = 'all'\n"), L"Resources must be a table");

  std::vector<ResourceDescriptor> seen;
  dir.Write("data/startup.resources", "resources = { { SHADER, 'first' }, 'second' }\n");
  try {
    ReadResourceScript("data/startup.resources", 1, 1, [&seen](const ResourceDescriptor& d) { seen.push_back(d); });
    FAIL() << "a non-table descriptor was accepted";
  } catch (const Exception& e) {
    EXPECT_EQ(e.GetText(), L"Resource descriptor must be a table");
  }
  EXPECT_EQ(seen.size(), 1u);  // the entry before the bad one was already built
}

// A resource that records what the manager does to it.
class Probe : public Resource {
 public:
  Probe(const std::wstring& name_, std::vector<std::string>* journal_) : Resource(name_), journal(journal_) {}
  explicit Probe(const std::wstring& name_) : Probe(name_, nullptr) {}
  void Create() override { Note("create "); }
  void Destroy() override { Note("destroy "); }
  void Update() override { Note("update "); }

 private:
  void Note(const std::string& what) {
    if (journal) journal->push_back(what + std::string(name.begin(), name.end()));
  }
  std::vector<std::string>* journal;
};

class Other : public Resource {
 public:
  explicit Other(const std::wstring& name_) : Resource(name_) {}
  void Create() override {}
  void Destroy() override {}
};

TEST(ResourceManagerTest, RegistersCreatesReplacesAndDestroysInNameOrder) {
  std::vector<std::string> journal;
  auto* manager = ResourceManager::Get();
  manager->AddResource(L"b", boost::make_shared<Probe>(L"b", &journal));
  auto first = boost::make_shared<Probe>(L"a", &journal);
  manager->AddResource(L"a", first);
  auto second = boost::make_shared<Probe>(L"a2", &journal);
  manager->AddResource(L"a", second);
  EXPECT_EQ(manager->GetResource(L"a"), second);
  EXPECT_FALSE(manager->GetResource(L"missing"));
  manager->UpdateResources();
  delete manager;

  EXPECT_EQ(journal, (std::vector<std::string>{"create b", "create a", "create a2", "update a2", "update b",
                                               "destroy a2", "destroy b"}));
  EXPECT_EQ(ResourceManager::mInstance, nullptr);
}

TEST(ResourceManagerTest, GetOrCreateMakesADefaultOnceAndRefusesAnotherClass) {
  auto* manager = ResourceManager::Get();
  auto made = manager->GetOrCreateResource<Probe>(L"fft");
  EXPECT_TRUE(made);
  EXPECT_EQ(manager->GetOrCreateResource<Probe>(L"fft"), made);
  EXPECT_EQ(manager->GetResource(L"fft"), made);
  EXPECT_FALSE(manager->GetOrCreateResource<Other>(L"fft"));
  delete manager;
}

}  // namespace
