// The real window over the simulated ASPI manager, with a simulated sampler
// whose memory is seeded from WAV files in a folder of its own.
#include <windows.h>

#include "audio/wav.h"
#include "resources/resource_ids.h"
#include "tests/win32/ui_driver.h"

namespace {

Bytes wavFile(int channels, std::uint32_t frames) {
  WavHeader h = MakeWavHeader(channels, 44100, 16, frames);
  Bytes b(h.bytes, h.bytes + kWavHeaderSize);
  b.resize(b.size() + frames * channels * 2, 0x22);
  return b;
}

struct SeededSamplerWindow : ShellWindow {
  std::string folder;
  std::string switches;  // added to the sampler's bus line
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    folder = std::string(temp) + "korrin-seeded-sampler";
    CreateDirectoryA(folder.c_str(), nullptr);
    tempFile("korrin-seeded-sampler\\001 Kick.wav", wavFile(1, 1000));
    tempFile("korrin-seeded-sampler\\003 Strings.wav", wavFile(2, 1000));
    std::string line =
        "0 6 sampler \"" + folder + "\" vendor=E-mu product=ESi-4000" + switches + "\n";
    SetEnvironmentVariableA(
        "KORRIN_BUS", tempFile("korrin-seeded-bus.txt", Bytes(line.begin(), line.end())).c_str());
    realScsi = true;
    ShellWindow::SetUp();
  }
  void TearDown() override {
    ShellWindow::TearDown();
    RemoveDirectoryA(folder.c_str());
  }
};

TEST_F(SeededSamplerWindow, ListsTheSamplesOfASimulatedSampler) {
  int sampler = firstChild(ctx(), nodeNamed("Samplers"));
  ASSERT_NE(sampler, 0) << "no sampler from the simulated manager";
  EXPECT_STREQ(ctx().nodes[sampler].name, "E-mu ESi-4000 (0, 6)");
  select(sampler);
  ASSERT_TRUE(idle());
  EXPECT_EQ(shownRows(), (std::vector<std::string>{"Kick|S001|1.95 K", "Strings|S003|3.90 K"}));
}

// WAV files dropped on the sampler go to its free numbers; Enter shows a
// sample's properties and Del deletes it, as their menu items do.
TEST_F(SeededSamplerWindow, DroppedWavFilesTakeTheFreeNumbersAndKeysActOnSamples) {
  int sampler = firstChild(ctx(), nodeNamed("Samplers"));
  ASSERT_NE(sampler, 0);
  select(sampler);
  ASSERT_TRUE(idle());
  drop(sampler, {tempFile("pad.wav", wavFile(1, 500)), tempFile("hat.wav", wavFile(2, 500))});
  EXPECT_EQ(shownRows(), (std::vector<std::string>{"Kick|S001|1.95 K", "pad|S002|1000 bytes",
                                                   "Strings|S003|3.90 K", "hat|S004|1.95 K"}));
  std::string shown;
  answerWith({[&](HWND d) {
    shown = windowText(GetDlgItem(d, IDC_SAMPLE_NAME));
    PostMessageA(d, WM_COMMAND, IDOK, 0);
  }});
  key(app->list, 3, VK_RETURN);
  EXPECT_EQ(shown, "hat");
  answerWith({answerOk});
  key(app->list, 0, VK_DELETE);
  EXPECT_EQ(shownRows().size(), 3u);
  EXPECT_TRUE(workerTexts.empty());
}

// A sampler that never completes TEST UNIT READY costs one message, and the
// window answers again within seconds; the sampler stays unlisted.
struct HungSamplerWindow : SeededSamplerWindow {
  void SetUp() override {
    switches = " hang=tur";
    SeededSamplerWindow::SetUp();
  }
};

TEST_F(HungSamplerWindow, SelectingItCostsOneMessageAndNoFrozenWindow) {
  int sampler = firstChild(ctx(), nodeNamed("Samplers"));
  ASSERT_NE(sampler, 0);
  std::vector<std::string> texts;
  DialogAction note = [&](HWND box) {
    char text[256] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    texts.push_back(text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  };
  answerWith({note, note});
  DWORD start = GetTickCount();
  select(sampler);
  ASSERT_TRUE(idle());
  EXPECT_LT(GetTickCount() - start, 10000u);
  DWORD_PTR rows = 1;
  EXPECT_TRUE(
      SendMessageTimeoutA(app->list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &rows));
  EXPECT_EQ(rows, 0u);
  EXPECT_EQ(texts, std::vector<std::string>{"Unable to send command to SCSI device (0,6)"});
  EXPECT_EQ(ctx().nodes[sampler].ready, 0);
}

}  // namespace
