// The sample commands through the real window, its dialogs and the
// simulated sampler behind WNASPI32.dll: a WAV file sent, listed, described,
// received back and deleted.
#include <windows.h>

#include <dlgs.h>

#include "audio/wav.h"
#include "resources/resource_ids.h"
#include "tests/win32/ui_driver.h"

namespace {

struct SampleCommandsWindow : ShellWindow {
  void SetUp() override {
    std::string line = "0 4 sampler - vendor=E-mu product=ESi-4000\n";
    SetEnvironmentVariableA(
        "KORRIN_BUS", tempFile("korrin-sampler-bus.txt", Bytes(line.begin(), line.end())).c_str());
    realScsi = true;
    ShellWindow::SetUp();
  }
  std::string text(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }
};

TEST_F(SampleCommandsWindow, SendListDescribeReceiveAndDelete) {
  int sampler = firstChild(ctx(), nodeNamed("Samplers"));
  ASSERT_NE(sampler, 0) << "no sampler from the simulated manager";
  select(sampler);
  ASSERT_TRUE(idle());
  WavHeader header = MakeWavHeader(2, 44100, 16, 1000);
  Bytes file(header.bytes, header.bytes + kWavHeaderSize);
  for (int i = 0; i < 4000; ++i)
    file.push_back(static_cast<std::uint8_t>(i * 37));
  file[4] = 4036 & 0xFF, file[5] = 4036 >> 8;

  // Moving From above To drags To along; the keys are remembered.
  std::string seen;
  auto transmit = [&](HWND d) {
    HWND from = GetDlgItem(d, IDC_KEY_FROM), numbers = GetDlgItem(d, IDC_TRANSMIT_NUMBER);
    seen = text(d, IDC_TRANSMIT_SAMPLER) + "|" + text(d, IDC_TRANSMIT_NUMBER) + "|" +
           std::to_string(SendMessageA(numbers, CB_GETCOUNT, 0, 0)) + "|" +
           text(d, IDC_ORIGINAL_KEY) + "|" + text(d, IDC_KEY_TO);
    SendMessageA(from, CB_SETCURSEL, 60, 0);
    SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_KEY_FROM, CBN_SELCHANGE), LPARAM(from));
    seen += "|" + text(d, IDC_KEY_TO);
    PostMessageA(d, WM_COMMAND, IDC_TRANSMIT_IMPORT, 0);
  };
  ASSERT_TRUE(
      onTree(sampler, CmdTransmitSample, {transmit, choosePath(tempFile("Pad#2.WAV", file))}));
  ASSERT_TRUE(idle());
  EXPECT_EQ(seen, "E-mu ESi-4000 (0, 4)|S001|999|C  3|B  3|A  4");
  EXPECT_EQ(ctx().transmitSettings.to, 60);
  EXPECT_EQ(shownRows(), std::vector<std::string>{"Pad#2|S001|3.90 K"});

  std::string shown;
  onRows({0}, CmdSampleProperties, {[&](HWND d) {
           for (int id : {IDC_SAMPLE_NAME, IDC_SAMPLE_NUMBER, IDC_SAMPLE_SIZE, IDC_SAMPLE_CHANNELS,
                          IDC_SAMPLE_LENGTH})
             shown += text(d, id) + "|";
           PostMessageA(d, WM_COMMAND, IDOK, 0);
         }});
  EXPECT_EQ(shown, "Pad#2|S001|3.90 K|2|0.02 sec|");

  std::string out = tempFile("korrin_received.wav"), offered;
  ASSERT_TRUE(onRows({0}, CmdReceiveSample, {[&](HWND d) {
                       offered = text(d, GetDlgItem(d, cmb13) ? cmb13 : edt1);
                       choosePath(out)(d);
                     }}));
  EXPECT_EQ(offered, "Pad_2");
  EXPECT_EQ(readFile(out), file);

  ASSERT_TRUE(onRows({0}, CmdDeleteSample, {answerOk}));
  EXPECT_EQ(shownRows(), std::vector<std::string>{});
  EXPECT_TRUE(workerTexts.empty());
}

}  // namespace
