#include "tools/gamedata/Starter.h"

#include <filesystem>
#include <fstream>
#include <utility>

#include "game/BaseFiles.h"
#include "tools/gamedata/MakeData.h"

namespace mkdata {

const char* const kStarterStory =
    R"story(// ============================================================
//  わたしの物語 (story.txt) ― marigold-dat new が作った雛形
//  UTF-8 で書き、marigold-dat pack で dat/story.dat へ詰める。
//  marigold --author で遊んでいれば、F5 が詰めて読み直す。
//
//  書き方:
//  - "//" から行末までは注釈。ゲームは読まない。
//  - "@" で始まる行はラベル（飛び先）。ゲームは自分で
//    @start（タイトルを押したとき）、@gameover（砂時計が
//    尽きたとき）、@sayend（格言を打ち終えたとき）へ飛ぶ。
//  - 文の行は集まって一つの場面になる。場面は空行か
//    ラベルで終わり、多くて 10 行。一度押すと次の場面へ。
//  - "#" で始まる行は命令。場面を集めるあいだに働き、
//    行には数えない。
//  - 文字の大きさ 20 なら一行は全角 26 字まで。右上の熱の枠
//    (x が 350 以上で y が 50 未満) と右下の砂時計 (x が 375
//    以上で y が 350 以上) には、文もボタンも置かない。
//  - ファイルの最後の行は実行されない。注釈で終えること。
//  - 格言は saying.txt に一行一つ。注釈は書けない。
// ============================================================

@start
#midi flaremorning.mid                // dat の曲を繰り返し鳴らす
#image garden_dusk.bmp                // 背景。青い一点 (0,0,255) から文が始まる
#imagesub lantern.bmp 440 190         // 重ね絵。左上の点の色が透ける
#heatUp 10                            // 熱の上限を 10 上げる
ここは、あなたの物語の入り口です。
この文を書きかえて、最初の場面を作りましょう。
押すと、次の場面へ進みます。

@choice
// 選択肢: ボタンが押されるまで、場面はここで待つ。
// #button 文字 大きさ x y 行き先   (THROUGH はそのまま先へ)
小道がふたつに分かれている。
どちらへ行こうか。
#button 灯籠の方へ 20 30 300 @lantern
#button まっすぐ進む 20 200 300 THROUGH

// THROUGH を選ぶと、ここから読み進む。
石畳の先に、小さな火が揺れていた。
#goto @trial

@lantern
#saying                               // この場面のあいだ、格言が流れる
灯籠の奥から、誰かのささやきが聞こえる。

// 格言を打ち終える前に押すと、ここへ進む。
ささやきは途中で、風にまぎれた。
#goto @trial

@sayend
// 格言をすべて打ち終えると、ゲームが自分でここへ飛ぶ。
ささやきは最後まで語り終えた。
胸の奥が、少しだけ温かい。
#heatUp 20
#goto @trial

@trial
#heatUp 20
火の前に立つ。
右上の「熱」の枠を押して、胸の火を燃やそう。
心が決まったら、枠の外を押して進むこと。

// 熱による分かれ道は、熱を誘う場面の次に、空行で分けて置く。
// こうすれば、枠を押して上げた熱で行き先が決まる。
// しきい値は高い順に並べる。0 はいつも当てはまる。
#heatyJump 30 @endBright 0 @endQuiet

@endBright
#finalize                             // 砂時計を止め、熱の枠をしまう
あなたの火は、夜を照らすほどに燃えた。

―― 明るい結末 ――

// 最後の場面の後には空行を置いてから #end。
// 空行がないと、最後の場面は見えないまま終わる。
#end

@endQuiet
#finalize
火は小さく、けれど消えずに灯っている。

―― 静かな結末 ――

#end

@gameover
#finalize                             // ここでは必ず時計を止める
砂時計の砂が、尽きた。

―― 時間切れ ――

#end
// 最後の行は実行されない。この注釈がそれ。
)story";

const char* const kStarterSayings = R"sayings(火は、急ぐ者の手には宿らない。
小さな灯りほど、遠くまで届くことがある。
燃えつきた灰にも、明日の火種が眠っている。
風をおそれる火は、いつまでも育たない。
物語は、書きかえるたびに少しずつ温まる。
)sayings";

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::vector<std::string> MakeStarter(const std::string& dir) {
  const fs::path root(dir);
  std::error_code ec;
  for (const char* name : {"dat", "story.txt", "saying.txt"}) {
    if (fs::exists(root / name, ec) || ec) {
      throw StarterExists((root / name).string(), "it exists; nothing was changed");
    }
  }
  DataFiles files;
  files.storyText = kStarterStory;
  files.sayingText = kStarterSayings;
  files.pictures = {std::string(basefiles::kTitlePicture), std::string(basefiles::kSandClock),
                    "garden_dusk.bmp", "lantern.bmp"};
  files.music = {std::string(basefiles::kTitleMusic)};
  files.sounds = {std::string(basefiles::kHeatTaken), std::string(basefiles::kHeatRefused)};
  std::vector<std::string> written;
  for (const std::string& name : WriteDataFolder(dir, files)) written.push_back("dat/" + name);
  WriteText(root / "story.txt", kStarterStory);
  WriteText(root / "saying.txt", kStarterSayings);
  written.push_back("story.txt");
  written.push_back("saying.txt");
  // The packed files are as new as their texts: nothing waits to be packed.
  for (const auto& [text, packed] :
       {std::pair{"story.txt", basefiles::kStory}, std::pair{"saying.txt", basefiles::kSayings}}) {
    fs::last_write_time(root / "dat" / packed, fs::last_write_time(root / text));
  }
  return written;
}

}  // namespace mkdata
