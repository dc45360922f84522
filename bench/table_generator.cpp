#include "table_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <fstream>
#include <random>
#include <system_error>
#include <unordered_set>

#include "hangul/hangul.h"

namespace norvik {
namespace {

// --- Randomness -----------------------------------------------------------------------------
// mt19937_64's sequence is fixed by the standard; the distributions of <random> are not, so the
// few we need are written here and the tables stay the same with every standard library.
class Rng {
  public:
    explicit Rng(uint64_t seed) : engine_(seed) {}
    uint64_t next() { return engine_(); }
    // Uniform in [0, n); n > 0.
    uint64_t below(uint64_t n) {
        return static_cast<uint64_t>((static_cast<unsigned __int128>(engine_()) * n) >> 64);
    }
    // Uniform in [lo, hi].
    uint64_t between(uint64_t lo, uint64_t hi) { return lo + below(hi - lo + 1); }
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <class T, size_t N>
    const T& pick(const T (&list)[N]) {
        return list[below(N)];
    }
    template <class T>
    const T& pick(const std::vector<T>& list) {
        return list[below(list.size())];
    }

  private:
    std::mt19937_64 engine_;
};

struct Weighted {
    const char* text;
    unsigned weight;
};

template <size_t N>
const char* pick_weighted(Rng& rng, const Weighted (&list)[N]) {
    unsigned total = 0;
    for (const auto& w : list)
        total += w.weight;
    uint64_t r = rng.below(total);
    for (const auto& w : list) {
        if (r < w.weight) return w.text;
        r -= w.weight;
    }
    return list[N - 1].text;
}

// --- Time -----------------------------------------------------------------------------------
constexpr uint32_t T_2016 = 1451606400;     // 2016-01-01
constexpr uint32_t T_2019 = 1546300800;     // 2019-01-01
constexpr uint32_t T_2026_06 = 1782864000;  // 2026-07-01

struct Date {
    int year, month, day, hour, minute, second;
};

// Civil date of a Unix time (days-from-civil inverted, proleptic Gregorian).
Date to_date(uint32_t t) {
    int64_t days = t / 86400;
    int64_t secs = t % 86400;
    days += 719468;
    int64_t era = days / 146097;
    int64_t doe = days - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year,
            month,
            day,
            static_cast<int>(secs / 3600),
            static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
}

template <class... Args>
std::string format(const char* pattern, Args... args) {
    char buffer[128];
    int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return std::string(buffer, static_cast<size_t>(std::clamp(n, 0, 127)));
}

// --- Korean words ---------------------------------------------------------------------------
// Words people put into file names, most frequent first.
const char* const KOREAN_COMMON[] = {
    "보고서",     "회의록", "사진",   "자료",   "최종",     "문서",       "견적서", "계약서",
    "발표자료",   "기획안", "수정본", "과제",   "프로젝트", "여행",       "가족",   "회사",
    "정산",       "영수증", "일정표", "신청서", "이력서",   "자기소개서", "결과",   "분석",
    "예산",       "매출",   "월간",   "주간",   "업무",     "참고",       "교육",   "설명서",
    "사업계획서", "증명서", "음악",   "동영상", "백업",     "졸업",       "결혼식", "생일",
    "제주도",     "부산",   "서울",   "강의",   "요약",     "초안",       "양식",   "명단",
    "목록",       "공지",
};

// Dictionary words of two to five syllables from Debian's Korean hunspell list, which stores
// them as conjoining jamo. Empty when the list is not installed; the common words still come.
const std::vector<std::string>& dictionary_words() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> out;
        std::ifstream in("/usr/share/hunspell/ko.dic");
        std::string line;
        bool first = true;
        while (std::getline(in, line)) {
            if (first) {  // the word count
                first = false;
                continue;
            }
            std::string_view word(line);
            word = word.substr(0, word.find('/'));
            if (word.empty()) continue;
            std::optional<std::string> composed = normalize_nfc(word);
            if (!composed) continue;
            // Syllables only: each is 3 bytes EA-ED xx xx in U+AC00-U+D7A3.
            const std::string& s = *composed;
            if (s.size() % 3 != 0 || s.size() < 6 || s.size() > 15) continue;
            bool syllables = true;
            for (size_t i = 0; i < s.size(); i += 3) {
                char32_t c = (char32_t(s[i] & 0x0F) << 12) | (char32_t(s[i + 1] & 0x3F) << 6) |
                             char32_t(s[i + 2] & 0x3F);
                if ((static_cast<unsigned char>(s[i]) & 0xF0) != 0xE0 || !is_syllable(c)) {
                    syllables = false;
                    break;
                }
            }
            if (syllables) out.push_back(s);
        }
        return out;
    }();
    return words;
}

// Canonical decomposition of every syllable into conjoining jamo (L V [T]), the form of names
// written by macOS.
std::string decompose_hangul(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    auto put = [&out](char32_t c) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    };
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        if ((b & 0xF0) == 0xE0 && i + 2 < text.size()) {
            char32_t c = (char32_t(b & 0x0F) << 12) | (char32_t(text[i + 1] & 0x3F) << 6) |
                         char32_t(text[i + 2] & 0x3F);
            if (is_syllable(c)) {
                char32_t s = c - SYLLABLE_FIRST;
                put(0x1100 + s / (21 * 28));
                put(0x1161 + (s % (21 * 28)) / 28);
                if (s % 28) put(0x11A7 + s % 28);
                i += 3;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// --- Vocabulary -----------------------------------------------------------------------------
const Weighted ENGLISH_DOC_WORDS[] = {
    {"report", 30},     {"Report", 12},   {"notes", 14},   {"invoice", 10},     {"Invoice", 5},
    {"budget", 9},      {"meeting", 10},  {"summary", 8},  {"draft", 9},        {"final", 10},
    {"resume", 5},      {"contract", 6},  {"proposal", 7}, {"presentation", 6}, {"schedule", 6},
    {"plan", 8},        {"review", 6},    {"data", 7},     {"analysis", 6},     {"letter", 4},
    {"statement", 4},   {"receipt", 5},   {"manual", 4},   {"guide", 4},        {"template", 4},
    {"minutes", 3},     {"Quarterly", 3}, {"annual", 3},   {"sales", 4},        {"project", 6},
    {"thesis", 3},      {"homework", 3},  {"lecture", 3},  {"tax", 3},          {"form", 3},
    {"application", 3}, {"checklist", 3}, {"roadmap", 2},  {"memo", 3},         {"agenda", 3},
};
const char* const ENGLISH_NOUNS[] = {
    "alpha",  "beta",    "client", "server",   "team",     "office",  "home",   "school",
    "market", "product", "design", "research", "customer", "partner", "event",  "travel",
    "family", "holiday", "music",  "photo",    "video",    "camera",  "garden", "kitchen",
    "city",   "river",   "ocean",  "mountain", "spring",   "summer",  "autumn", "winter",
    "study",  "exam",    "course", "chapter",  "version",  "update",
};
// Names with capitals outside ASCII, as European and Greek users write them.
const char* const NON_ASCII_UPPER[] = {
    "Ärzte",     "Über uns", "École", "Éclair",        "Ørsted", "ΣΥΝΟΨΗ",           "Δοκιμή",
    "Ångström",  "Œuvre",    "Ñandú", "Île-de-France", "ÇA VA",  "Straße Übersicht", "ΑΘΗΝΑ",
    "Πρόγραμμα", "Émile",    "ÖBB",
};
const char* const PEOPLE[] = {"minji", "jhkim", "soyeon",  "hyunwoo", "admin", "yuna",
                              "dev",   "jisoo", "taehyun", "park",    "lee",   "sjchoi"};
const char* const ARTISTS_EN[] = {
    "The Beatles", "Queen",       "Coldplay", "Adele", "Daft Punk", "Radiohead",  "Norah Jones",
    "Bill Evans",  "Miles Davis", "Chopin",   "Bach",  "Mozart",    "Ed Sheeran", "Taylor Swift",
};
const char* const ARTISTS_KO[] = {"아이유", "방탄소년단", "김광석",     "이문세",
                                  "자우림", "장범준",     "악동뮤지션", "윤종신",
                                  "성시경", "조용필",     "잔나비",     "볼빨간사춘기"};
const char* const VENDORS[] = {
    "Common Files",
    "Microsoft Office",
    "Google",
    "Mozilla Firefox",
    "Hnc",
    "Kakao",
    "NAVER",
    "AhnLab",
    "ESTsoft",
    "Adobe",
    "NVIDIA Corporation",
    "Windows Defender",
    "Internet Explorer",
    "dotnet",
    "Git",
    "7-Zip",
    "VideoLAN",
    "Bandizip",
    "Microsoft VS Code",
    "CMake",
    "LLVM",
    "nodejs",
    "Python311",
    "Java",
    "Steam",
    "Docker",
    "Zoom",
    "DAUM",
    "Samsung",
    "Realtek",
    "Intel",
    "Microsoft Visual Studio",
    "JetBrains",
    "Notepad++",
    "WinRAR",
    "Everything Else",
    "Unity Hub",
    "Blender Foundation",
    "OBS Studio",
    "KakaoTalk",
};
const char* const APP_VENDORS[] = {
    "Google",  "Microsoft",  "Mozilla",   "Kakao",         "Naver",    "Hancom",    "Adobe",
    "Discord", "Spotify",    "Packages",  "npm-cache",     "pip",      "JetBrains", "Code",
    "Steam",   "NVIDIA",     "Zoom",      "slack",         "Notion",   "Samsung",   "AhnLab",
    "ESTsoft", "CrashDumps", "D3DSCache", "Comms",         "Programs", "Temp",      "CEF",
    "Unity",   "Python",     "Yarn",      "GitHubDesktop", "Postman",  "Figma",     "obs-studio",
};
const char* const CACHE_FOLDERS[] = {
    "Cache",        "Code Cache",      "GPUCache",  "User Data",       "Default",
    "logs",         "Local Storage",   "leveldb",   "IndexedDB",       "Service Worker",
    "CacheStorage", "blob_storage",    "Crashpad",  "reports",         "settings",
    "extensions",   "Session Storage", "databases", "shared_proto_db", "js",
    "wasm",
};
const char* const SOURCE_FOLDERS[] = {
    "core",   "util",     "net",    "ui",      "model",       "api",    "components", "services",
    "common", "platform", "render", "storage", "parser",      "config", "tests",      "internal",
    "pkg",    "cmd",      "lib",    "views",   "hooks",       "store",  "assets",     "scripts",
    "tools",  "examples", "docs",   "bench",   "third_party",
};
const char* const PRODUCT_FOLDERS[] = {
    "bin",          "lib",          "resources",   "plugins", "x64",     "x86",      "share",
    "include",      "doc",          "icons",       "themes",  "ko-KR",   "en-US",    "ja-JP",
    "locales",      "data",         "templates",   "Updater", "runtime", "modules",  "extensions",
    "fonts",        "images",       "help",        "sdk",     "tools",   "drivers",  "platforms",
    "imageformats", "translations", "swiftshader", "redist",  "Addins",  "Office16", "Skins",
};
const char* const SYSTEM_FOLDERS[] = {
    "drivers",  "wbem",      "spool",       "Tasks",     "config",  "catroot2",
    "oobe",     "Speech",    "migration",   "sru",       "WDI",     "GroupPolicy",
    "Recovery", "downlevel", "DriverState", "Microsoft", "IME",     "appraiser",
    "setup",    "Sysprep",   "winevt",      "Logs",      "0409",    "WinMetadata",
    "MUI",      "Dism",      "AppLocker",   "Boot",      "CatRoot", "CodeIntegrity",
    "Com",      "DiagSvcs",  "en",          "ko",        "inetsrv",
};
const char* const SOURCE_WORDS[] = {
    "main",   "app",    "server",     "client",  "parser",  "lexer",  "buffer",  "string",
    "file",   "path",   "config",     "logger",  "window",  "render", "texture", "mesh",
    "socket", "http",   "json",       "util",    "helpers", "index",  "router",  "store",
    "model",  "view",   "controller", "service", "cache",   "queue",  "thread",  "pool",
    "math",   "vector", "matrix",     "image",   "audio",   "input",  "test",
};
const char* const PACKAGES[] = {
    "lodash",  "react",     "react-dom", "@types",    "@babel", "webpack", "typescript",
    "eslint",  "express",   "axios",     "chalk",     "debug",  "ms",      "semver",
    "yargs",   "commander", "glob",      "minimatch", "rxjs",   "tslib",   "core-js",
    "postcss", "vite",      "esbuild",   "jest",      "moment", "uuid",    "ws",
};
const char* const REPOS[] = {
    "webapp",         "game-engine",   "thesis",  "homepage",  "api-server",
    "ml-experiments", "unity-project", "crawler", "dotfiles",  "capstone",
    "졸업작품",       "알고리즘",      "blog",    "backend",   "frontend",
    "mobile-app",     "data-pipeline", "chatbot", "portfolio", "toy-project",
    "사이드프로젝트",
};
const char* const WINSXS_COMPONENTS[] = {
    "microsoft-windows-shell32",
    "microsoft-windows-kernelbase",
    "microsoft-windows-ntdll",
    "microsoft-windows-user32",
    "microsoft-windows-gdi32",
    "microsoft-windows-directx-d3d11",
    "microsoft-windows-d2d1",
    "microsoft-windows-dwrite",
    "microsoft-windows-explorer",
    "microsoft-windows-imm32",
    "microsoft-windows-ime-korean",
    "microsoft-windows-font-truetype",
    "microsoft-windows-notepad",
    "microsoft-windows-mediaplayer",
    "microsoft-windows-defender",
    "microsoft-windows-servicingstack",
    "microsoft-windows-wininet",
    "microsoft-windows-crypt32",
    "microsoft.windows.common-controls",
    "microsoft-windows-printing-spooler",
    "microsoft-windows-networking-mpssvc",
    "microsoft-windows-security-spp",
};
const char* const SYSTEM_WORDS[] = {
    "kernel", "user", "gdi",  "shell", "net",   "win",   "crypt", "ole", "com",  "rpc",
    "ws2",    "msv",  "dx",   "d3d",   "dwm",   "wmi",   "wer",   "sec", "ntds", "sys",
    "svc",    "api",  "core", "media", "audio", "print", "spool", "mf",  "wlan", "bt",
    "usb",    "pnp",  "hid",  "ime",   "font",  "ui",    "xml",   "ts",
};

// File extensions by the folder they typically sit in, with weights.
const Weighted DOC_EXTS[] = {{"docx", 18}, {"hwp", 14}, {"pdf", 20}, {"xlsx", 10}, {"pptx", 6},
                             {"txt", 8},   {"hwpx", 4}, {"csv", 3},  {"md", 2},    {"doc", 3},
                             {"xls", 2},   {"ppt", 1},  {"rtf", 1},  {"zip", 3},   {"jpg", 3},
                             {"png", 2},   {"PDF", 1},  {"lnk", 2},  {"url", 1}};
const Weighted PICTURE_EXTS[] = {{"jpg", 55}, {"png", 20}, {"heic", 8}, {"JPG", 6}, {"gif", 3},
                                 {"webp", 3}, {"mp4", 5},  {"mov", 3},  {"psd", 1}, {"cr2", 1},
                                 {"nef", 1},  {"arw", 1},  {"ini", 1}};
const Weighted MUSIC_EXTS[] = {{"mp3", 60}, {"flac", 15}, {"m4a", 12}, {"wav", 5},
                               {"ogg", 2},  {"wma", 3},   {"jpg", 2},  {"m3u", 1}};
const Weighted VIDEO_EXTS[] = {{"mp4", 50}, {"mkv", 20}, {"avi", 8}, {"mov", 8}, {"wmv", 4},
                               {"ts", 3},   {"srt", 4},  {"smi", 3}, {"webm", 2}};
const Weighted DOWNLOAD_EXTS[] = {
    {"exe", 12}, {"msi", 4},        {"zip", 15}, {"pdf", 15},    {"jpg", 8}, {"png", 5}, {"hwp", 5},
    {"docx", 5}, {"crdownload", 1}, {"part", 1}, {"torrent", 2}, {"mp4", 3}, {"7z", 2},  {"rar", 2},
    {"iso", 2},  {"egg", 1},        {"alz", 1},  {"xlsx", 3},    {"apk", 1}, {"tmp", 1}};
const Weighted SYSTEM_EXTS[] = {{"dll", 60}, {"exe", 12}, {"sys", 5}, {"mui", 8}, {"cpl", 1},
                                {"msc", 1},  {"ini", 1},  {"dat", 2}, {"xml", 2}, {"log", 1},
                                {"tlb", 1},  {"ax", 1},   {"drv", 1}, {"inf", 2}, {"cat", 2}};
const Weighted PRODUCT_EXTS[] = {{"dll", 35}, {"exe", 8}, {"pak", 6}, {"json", 8},     {"xml", 6},
                                 {"dat", 5},  {"png", 8}, {"ico", 2}, {"txt", 3},      {"html", 2},
                                 {"js", 5},   {"css", 2}, {"qm", 2},  {"bin", 3},      {"node", 1},
                                 {"jar", 1},  {"pyd", 1}, {"py", 3},  {"manifest", 1}, {"svg", 2},
                                 {"ttf", 1},  {"cab", 1}, {"msi", 1}, {"sys", 1}};
const Weighted CACHE_EXTS[] = {{"", 30},      {"json", 6},  {"log", 6}, {"tmp", 5}, {"db", 4},
                               {"sqlite", 2}, {"ldb", 5},   {"dat", 4}, {"js", 3},  {"png", 2},
                               {"bin", 3},    {"cache", 2}, {"etl", 1}, {"old", 1}, {"bak", 1},
                               {"dmp", 1},    {"lock", 1}};
const Weighted SOURCE_EXTS[] = {{"cpp", 14},  {"h", 14},  {"hpp", 3},  {"c", 4},    {"py", 10},
                                {"js", 10},   {"ts", 8},  {"tsx", 4},  {"java", 4}, {"go", 3},
                                {"rs", 3},    {"cs", 3},  {"json", 4}, {"md", 2},   {"txt", 2},
                                {"yml", 2},   {"css", 2}, {"html", 2}, {"png", 2},  {"svg", 1},
                                {"cmake", 1}, {"o", 2},   {"obj", 2}};

// Size ranges as powers of two, by extension family.
struct SizeRange {
    double lo, hi;
};
SizeRange size_range(std::string_view ext) {
    auto in = [&ext](std::initializer_list<std::string_view> list) {
        return std::find(list.begin(), list.end(), ext) != list.end();
    };
    if (in({"mp4", "mkv", "avi", "mov", "wmv", "ts", "webm", "iso", "vhdx"})) return {22, 31};
    if (in({"mp3", "flac", "m4a", "wav", "ogg", "wma"})) return {21, 25};
    if (in({"jpg", "JPG", "png", "heic", "gif", "webp", "psd", "cr2", "nef", "arw"}))
        return {15, 23};
    if (in({"zip", "7z", "rar", "egg", "alz", "cab", "msi", "exe", "apk"})) return {16, 28};
    if (in({"dll", "sys", "mui", "pak", "node", "jar", "pyd", "bin"})) return {12, 24};
    if (in({"docx", "hwp", "hwpx", "pdf", "PDF", "xlsx", "pptx", "doc", "xls", "ppt"}))
        return {13, 23};
    return {6, 18};
}

// --- The tree -------------------------------------------------------------------------------
enum class Area : uint8_t {
    Root,
    UsersRoot,
    UserHome,
    UserDocs,  // Documents, Desktop, OneDrive, Public
    Pictures,
    Music,
    MusicArtist,
    MusicAlbum,
    Videos,
    Downloads,
    AppDataRoot,
    AppVendors,  // AppData\Local, Roaming, ProgramData
    AppProduct,
    CacheDir,
    ProgramFiles,
    Product,
    WindowsRoot,
    System32,
    WinSxS,
    WinSxSComponent,
    Logs,
    Temp,
    Prefetch,
    Fonts,
    ProjectsRoot,
    Repo,
    GitDir,
    GitObjects,
    GitObjectDir,
    NodeModules,
    Package,
    SourceDir,
    Empty,  // a link or a folder that holds nothing
};

constexpr uint32_t A_DIR = ATTRIBUTE_DIRECTORY;
constexpr uint32_t A_HIDDEN = ATTRIBUTE_HIDDEN;
constexpr uint32_t A_SYSTEM = ATTRIBUTE_SYSTEM;
constexpr uint32_t A_ARCHIVE = 0x20;
constexpr uint32_t A_JUNCTION = A_DIR | A_HIDDEN | A_SYSTEM | ATTRIBUTE_REPARSE_POINT;
// OneDrive placeholders: reparse points whose tag is not a link.
constexpr uint32_t REPARSE_TAG_CLOUD = 0x9000601A;
constexpr uint32_t A_RECALL_ON_DATA_ACCESS = 0x400000;

struct Child {
    std::string name;
    bool folder = false;
    Area area = Area::Empty;
    double weight = 0;  // share of the remaining budget for a folder
    uint32_t attributes = 0;
    uint32_t tag = 0;
    uint32_t mtime = 0;
    uint64_t size = 0;
};

struct Pending {
    uint32_t index;
    uint64_t budget;  // entries below this folder
    Area area;
    uint32_t depth;
};

class Generator {
  public:
    explicit Generator(const GeneratorOptions& options)
        : options_(options),
          rng_(options.seed),
          shape_(options.seed ^ 0x9E3779B97F4A7C15ull),
          dictionary_(dictionary_words()) {}

    GeneratedSteps run();

  private:
    // The children a folder of this area gets, sized for `budget` entries below it (the list may
    // be longer or shorter; the caller cuts and balances).
    void make_children(Area area, uint64_t budget, uint32_t depth, std::vector<Child>& out);

    // Names.
    std::string korean_phrase();
    std::string user_stem(std::string_view topic_hint = {});
    std::string user_folder_name();
    std::string hex(size_t digits);
    std::string dated(const char* pattern_prefix, uint32_t t);
    bool korean() { return rng_.chance(options_.korean_share); }

    // Children.
    Child folder(std::string name, Area area, double weight, uint32_t attributes = A_DIR);
    Child file(std::string name, uint32_t mtime, uint32_t attributes = A_ARCHIVE);
    Child file_with_ext(std::string stem, std::string_view ext, uint32_t mtime,
                        uint32_t attributes = A_ARCHIVE);
    Child junction(std::string name);
    uint32_t user_time() {
        double u = rng_.unit();
        return T_2026_06 - static_cast<uint32_t>((T_2026_06 - T_2016) * u * u);
    }
    uint32_t system_time() { return static_cast<uint32_t>(rng_.between(T_2019, T_2026_06 - 1)); }
    // Budget shares come from their own stream, so that an argument list drawing a name and a
    // weight gives the same table whatever order the compiler evaluates it in.
    double spread_weight() { return 0.3 + std::min(20.0, std::pow(shape_.unit() + 1e-9, -0.6)); }
    // A typical number of children for an open folder: mostly near lo, sometimes up to hi.
    uint64_t draw_count(uint64_t lo, uint64_t hi) {
        double u = rng_.unit();
        return lo + static_cast<uint64_t>((hi - lo) * u * u);
    }

    void open_folder(Area file_area, uint64_t budget, uint64_t lo, uint64_t hi, double folder_share,
                     Area sub_area, std::vector<Child>& out);
    Child typed_file(Area area);
    std::string folder_name_for(Area area);

    const GeneratorOptions& options_;
    Rng rng_;
    Rng shape_;
    const std::vector<std::string>& dictionary_;
    GeneratedSteps out_;
};

Child Generator::folder(std::string name, Area area, double weight, uint32_t attributes) {
    Child c;
    c.name = std::move(name);
    c.folder = true;
    c.area = area;
    c.weight = weight;
    c.attributes = attributes | A_DIR;
    c.mtime = system_time();
    return c;
}

Child Generator::file(std::string name, uint32_t mtime, uint32_t attributes) {
    Child c;
    size_t dot = name.rfind('.');
    std::string_view ext =
        dot == std::string::npos ? std::string_view{} : std::string_view(name).substr(dot + 1);
    SizeRange r = size_range(ext);
    c.size = static_cast<uint64_t>(std::exp2(r.lo + (r.hi - r.lo) * rng_.unit()));
    c.name = std::move(name);
    c.attributes = attributes;
    c.mtime = mtime;
    return c;
}

Child Generator::file_with_ext(std::string stem, std::string_view ext, uint32_t mtime,
                               uint32_t attributes) {
    if (!ext.empty()) {
        stem += '.';
        stem += ext;
    }
    return file(std::move(stem), mtime, attributes);
}

Child Generator::junction(std::string name) {
    Child c = folder(std::move(name), Area::Empty, 0, A_JUNCTION);
    c.tag = REPARSE_TAG_MOUNT_POINT;
    return c;
}

std::string Generator::hex(size_t digits) {
    static const char DIGITS[] = "0123456789abcdef";
    std::string s(digits, '0');
    for (char& c : s)
        c = DIGITS[rng_.below(16)];
    return s;
}

std::string Generator::dated(const char* prefix, uint32_t t) {
    Date d = to_date(t);
    return format("%s%04d%02d%02d_%02d%02d%02d", prefix, d.year, d.month, d.day, d.hour, d.minute,
                  d.second);
}

std::string Generator::korean_phrase() {
    // Common file-name words two times in three, dictionary words otherwise.
    auto word = [this]() -> std::string {
        if (dictionary_.empty() || rng_.below(3) != 0) {
            // Zipf-like: earlier words of the list come far more often.
            size_t n = std::size(KOREAN_COMMON);
            double u = rng_.unit();
            return KOREAN_COMMON[static_cast<size_t>(n * u * u * u)];
        }
        return rng_.pick(dictionary_);
    };
    std::string s = word();
    if (rng_.chance(0.4)) {
        s += rng_.chance(0.5) ? " " : "_";
        s += word();
    }
    return s;
}

std::string Generator::user_stem(std::string_view topic_hint) {
    std::string s;
    if (rng_.chance(0.006)) {
        s = rng_.pick(NON_ASCII_UPPER);
    } else if (korean()) {
        s = korean_phrase();
        if (rng_.chance(options_.decomposed_share)) s = decompose_hangul(s);
    } else {
        s = pick_weighted(rng_, ENGLISH_DOC_WORDS);
        if (!topic_hint.empty() && rng_.chance(0.3)) s = std::string(topic_hint) + " " + s;
        if (rng_.chance(0.35)) {
            const char* separator = rng_.chance(0.5) ? "_" : " ";
            s += separator;
            s += rng_.pick(ENGLISH_NOUNS);
        }
    }
    switch (rng_.below(8)) {
        case 0:
            s = format("%d ", static_cast<int>(rng_.between(2019, 2026))) + s;
            break;
        case 1:
            s += format("_%d", static_cast<int>(rng_.between(2019, 2026)));
            break;
        case 2:
            s += format("_v%d", static_cast<int>(rng_.between(1, 5)));
            break;
        case 3: {
            int month = static_cast<int>(rng_.between(1, 12));
            s += format("_%02d%02d", month, static_cast<int>(rng_.between(1, 28)));
            break;
        }
        case 4:
            s += rng_.chance(0.5) ? " (1)" : "_최종";
            break;
        default:
            break;
    }
    return s;
}

std::string Generator::user_folder_name() {
    uint64_t roll = rng_.below(100);
    if (roll < 8) return format("%d", static_cast<int>(rng_.between(2015, 2026)));
    if (roll < 11) return rng_.chance(0.5) ? "새 폴더" : "New folder";
    std::string s = korean() ? korean_phrase() : std::string(rng_.pick(ENGLISH_NOUNS));
    if (s[0] >= 'a' && s[0] <= 'z' && rng_.chance(0.5)) s[0] ^= 0x20;
    if (rng_.chance(0.3)) s += format(" %d", static_cast<int>(rng_.between(2015, 2026)));
    return s;
}

std::string Generator::folder_name_for(Area area) {
    switch (area) {
        case Area::AppProduct:
        case Area::CacheDir:
            return rng_.chance(0.5) ? rng_.pick(CACHE_FOLDERS) : hex(8);
        case Area::Product:
            if (rng_.chance(0.15)) {
                int major = static_cast<int>(rng_.between(1, 30));
                return format("%d.%d.%d", major, static_cast<int>(rng_.below(10)),
                              static_cast<int>(rng_.below(5000)));
            }
            return rng_.pick(PRODUCT_FOLDERS);
        case Area::SourceDir:
        case Area::Package:
            return rng_.pick(SOURCE_FOLDERS);
        case Area::System32:
            return rng_.pick(SYSTEM_FOLDERS);
        case Area::WinSxSComponent:
            return rng_.chance(0.5) ? "f" : "r";
        case Area::GitObjectDir:
            return hex(2);
        case Area::Temp: {
            std::string name = "{" + hex(8);
            for (size_t digits : {4, 4, 4, 12})
                name += "-" + hex(digits);
            return name + "}";
        }
        default:
            return user_folder_name();
    }
}

Child Generator::typed_file(Area area) {
    switch (area) {
        case Area::UserDocs: {
            uint32_t t = user_time();
            std::string stem = user_stem();
            return file_with_ext(std::move(stem), pick_weighted(rng_, DOC_EXTS), t);
        }
        case Area::Pictures: {
            uint32_t t = user_time();
            std::string ext = pick_weighted(rng_, PICTURE_EXTS);
            switch (rng_.below(8)) {
                case 0:
                case 1:
                case 2:
                    return file_with_ext(dated("IMG_", t), ext, t);
                case 3: {
                    std::string stem = "KakaoTalk_" + dated("", t).substr(0, 15);
                    stem += format("%03d", static_cast<int>(rng_.below(1000)));
                    return file_with_ext(std::move(stem), ext, t);
                }
                case 4: {
                    Date d = to_date(t);
                    const char* word =
                        rng_.chance(options_.korean_share) ? "스크린샷" : "Screenshot";
                    return file_with_ext(format("%s %04d-%02d-%02d %02d%02d%02d", word, d.year,
                                                d.month, d.day, d.hour, d.minute, d.second),
                                         "png", t);
                }
                case 5:
                    return file_with_ext(format("DSC%05d", static_cast<int>(rng_.below(100000))),
                                         "JPG", t);
                default:
                    return file_with_ext(user_stem(), ext, t);
            }
        }
        case Area::MusicAlbum: {
            uint32_t t = user_time();
            std::string title = korean() ? korean_phrase() : std::string(rng_.pick(ENGLISH_NOUNS));
            std::string stem = format("%02d ", static_cast<int>(rng_.between(1, 16))) + title;
            return file_with_ext(std::move(stem), pick_weighted(rng_, MUSIC_EXTS), t);
        }
        case Area::Music: {
            uint32_t t = user_time();
            std::string stem = korean() ? rng_.pick(ARTISTS_KO) : rng_.pick(ARTISTS_EN);
            stem += " - ";
            stem += korean() ? korean_phrase() : std::string(rng_.pick(ENGLISH_NOUNS));
            return file_with_ext(std::move(stem), pick_weighted(rng_, MUSIC_EXTS), t);
        }
        case Area::Videos: {
            uint32_t t = user_time();
            std::string ext = pick_weighted(rng_, VIDEO_EXTS);
            if (rng_.chance(0.3)) {
                Date d = to_date(t);
                return file_with_ext(format("%04d-%02d-%02d %02d-%02d-%02d", d.year, d.month, d.day,
                                            d.hour, d.minute, d.second),
                                     ext, t);
            }
            if (korean()) {
                std::string stem = korean_phrase();
                stem += format(" %d화", static_cast<int>(rng_.between(1, 24)));
                return file_with_ext(std::move(stem), ext, t);
            }
            const char* topic = rng_.pick(ENGLISH_NOUNS);
            return file_with_ext(user_stem(topic), ext, t);
        }
        case Area::Downloads: {
            uint32_t t = user_time();
            std::string_view ext = pick_weighted(rng_, DOWNLOAD_EXTS);
            if (ext == "exe" || ext == "msi") {
                std::string stem = rng_.pick(VENDORS);
                std::erase(stem, ' ');
                stem += rng_.chance(0.5) ? "Setup" : "_installer_x64";
                int major = static_cast<int>(rng_.between(1, 30));
                stem += format("_%d.%d", major, static_cast<int>(rng_.below(10)));
                return file_with_ext(std::move(stem), ext, t);
            }
            std::string stem = user_stem();
            return file_with_ext(std::move(stem), ext, t);
        }
        case Area::System32:
        case Area::WinSxSComponent: {
            std::string stem = rng_.pick(SYSTEM_WORDS);
            stem += rng_.pick(SYSTEM_WORDS);
            if (rng_.chance(0.3)) stem += format("%d", static_cast<int>(rng_.between(2, 64)));
            if (rng_.chance(0.15)) stem[0] ^= 0x20;  // Some system names start with a capital.
            uint32_t t = system_time();
            return file_with_ext(std::move(stem), pick_weighted(rng_, SYSTEM_EXTS), t);
        }
        case Area::Product: {
            std::string stem = rng_.pick(SOURCE_WORDS);
            if (rng_.chance(0.5)) stem += rng_.chance(0.5) ? "_" : "";
            if (rng_.chance(0.5)) stem += rng_.pick(SOURCE_WORDS);
            if (rng_.chance(0.1)) stem = rng_.chance(0.5) ? "LICENSE" : "README";
            uint32_t t = system_time();
            return file_with_ext(std::move(stem), pick_weighted(rng_, PRODUCT_EXTS), t);
        }
        case Area::AppProduct:
        case Area::CacheDir: {
            std::string_view ext = pick_weighted(rng_, CACHE_EXTS);
            std::string stem;
            switch (rng_.below(5)) {
                case 0:
                    stem = "f_" + hex(6);
                    break;
                case 1:
                    stem = format("%06d", static_cast<int>(rng_.below(1000000)));
                    break;
                case 2:
                    stem = hex(16);
                    break;
                case 3:
                    stem = format("data_%d", static_cast<int>(rng_.below(4)));
                    break;
                default:
                    stem = rng_.pick(SOURCE_WORDS);
                    break;
            }
            return file_with_ext(std::move(stem), ext, user_time());
        }
        case Area::Logs: {
            uint32_t t = system_time();
            std::string stem = dated(rng_.chance(0.5) ? "CBS_" : "WindowsUpdate.", t);
            return file_with_ext(std::move(stem), rng_.chance(0.6) ? "log" : "etl", t);
        }
        case Area::Temp: {
            uint32_t t = user_time();
            std::string stem = format("~DF%04X", static_cast<unsigned>(rng_.below(65536)));
            return file_with_ext(std::move(stem), rng_.chance(0.7) ? "TMP" : "tmp", t,
                                 A_ARCHIVE | A_HIDDEN);
        }
        case Area::Prefetch: {
            std::string exe = rng_.pick(SYSTEM_WORDS);
            exe += rng_.pick(SOURCE_WORDS);
            for (char& c : exe)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            std::string h = hex(8);
            for (char& c : h)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            uint32_t t = system_time();
            return file_with_ext(exe + ".EXE-" + h, "pf", t);
        }
        case Area::Fonts: {
            static const char* const FONTS[] = {
                "malgun",   "malgunbd", "gulim",       "batang", "arial",   "arialbd", "segoeui",
                "seguisym", "consola",  "NanumGothic", "times",  "calibri", "cambria"};
            std::string stem = rng_.pick(FONTS);
            stem += format("%d", static_cast<int>(rng_.below(100)));
            const char* ext = rng_.chance(0.7) ? "ttf" : "ttc";
            return file_with_ext(std::move(stem), ext, system_time());
        }
        case Area::GitObjectDir: {
            std::string name = hex(38);
            return file(std::move(name), user_time(), A_ARCHIVE);
        }
        case Area::SourceDir:
        case Area::Package: {
            std::string stem = rng_.pick(SOURCE_WORDS);
            if (rng_.chance(0.5)) stem += std::string("_") + rng_.pick(SOURCE_WORDS);
            if (rng_.chance(0.2)) stem[0] ^= 0x20;
            uint32_t t = user_time();
            return file_with_ext(std::move(stem), pick_weighted(rng_, SOURCE_EXTS), t);
        }
        default: {
            uint32_t t = user_time();
            std::string stem = user_stem();
            return file_with_ext(std::move(stem), pick_weighted(rng_, DOC_EXTS), t);
        }
    }
}

// An open folder: lo..hi children, some share of them folders of sub_area.
void Generator::open_folder(Area file_area, uint64_t budget, uint64_t lo, uint64_t hi,
                            double folder_share, Area sub_area, std::vector<Child>& out) {
    uint64_t count = std::min(budget, draw_count(lo, hi));
    uint64_t rest = budget - count;
    // A small remainder stays in this folder rather than starting a chain of nearly empty
    // folders one inside the other.
    if (rest > 0 && rest <= count) {
        count = budget;
        rest = 0;
    }
    uint64_t folders = static_cast<uint64_t>(std::floor(count * folder_share + rng_.unit()));
    // A big remainder needs enough folders under it to keep the tree bushy rather than deep:
    // each takes a few times this folder's own size.
    if (rest > 0) {
        uint64_t target = std::max<uint64_t>(count * 4, 64);
        uint64_t needed = (rest + target - 1) / target;
        if (needed > folders) {
            folders = needed;
            count = std::min(budget, std::max(count, needed + needed / 2));
        }
    }
    folders = std::min(folders, count);
    for (uint64_t i = 0; i < folders; ++i)
        out.push_back(folder(folder_name_for(sub_area), sub_area, spread_weight()));
    for (uint64_t i = folders; i < count; ++i)
        out.push_back(typed_file(file_area));
}

void Generator::make_children(Area area, uint64_t budget, uint32_t depth, std::vector<Child>& out) {
    switch (area) {
        case Area::Root: {
            out.push_back(folder("$Recycle.Bin", Area::Temp, 0.002, A_DIR | A_HIDDEN | A_SYSTEM));
            out.push_back(junction("Documents and Settings"));
            out.push_back(folder("PerfLogs", Area::Logs, 0.0005));
            out.push_back(folder("Program Files", Area::ProgramFiles, 0.12));
            out.push_back(folder("Program Files (x86)", Area::ProgramFiles, 0.05));
            out.push_back(folder("ProgramData", Area::AppVendors, 0.04, A_DIR | A_HIDDEN));
            out.push_back(folder("Projects", Area::ProjectsRoot, 0.06));
            out.push_back(folder("Recovery", Area::Empty, 0, A_DIR | A_HIDDEN | A_SYSTEM));
            out.push_back(folder("System Volume Information", Area::Temp, 0.0002,
                                 A_DIR | A_HIDDEN | A_SYSTEM));
            out.push_back(folder("Users", Area::UsersRoot, 0.52));
            out.push_back(folder("Windows", Area::WindowsRoot, 0.21));
            out.push_back(file("pagefile.sys", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            out.back().size = 8ull << 30;
            out.push_back(file("hiberfil.sys", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            out.push_back(file("swapfile.sys", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            out.push_back(
                file("DumpStack.log.tmp", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            return;
        }
        case Area::UsersRoot: {
            out.push_back(folder(rng_.pick(PEOPLE), Area::UserHome, 0.62));
            out.push_back(
                folder(rng_.chance(0.5) ? "김민수" : "Administrator", Area::UserHome, 0.25));
            out.push_back(folder("Public", Area::UserDocs, 0.04));
            out.push_back(folder("Default", Area::UserHome, 0.05, A_DIR | A_HIDDEN));
            Child all_users = junction("All Users");
            all_users.tag = REPARSE_TAG_SYMLINK;
            out.push_back(all_users);
            out.push_back(junction("Default User"));
            out.push_back(file("desktop.ini", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            return;
        }
        case Area::UserHome: {
            out.push_back(folder("AppData", Area::AppDataRoot, 0.22, A_DIR | A_HIDDEN));
            out.push_back(folder("Documents", Area::UserDocs, 0.20));
            out.push_back(folder("Pictures", Area::Pictures, 0.14));
            out.push_back(folder("Downloads", Area::Downloads, 0.08));
            out.push_back(folder("Music", Area::Music, 0.07));
            out.push_back(folder("Videos", Area::Videos, 0.04));
            out.push_back(folder("Desktop", Area::UserDocs, 0.05));
            out.push_back(
                folder("OneDrive", Area::UserDocs, 0.05, A_DIR | ATTRIBUTE_REPARSE_POINT));
            out.back().tag = REPARSE_TAG_CLOUD;
            out.push_back(folder("source", Area::ProjectsRoot, 0.06));
            out.push_back(folder(".vscode", Area::Package, 0.02));
            out.push_back(folder("Contacts", Area::Empty, 0));
            out.push_back(folder("Favorites", Area::Empty, 0));
            out.push_back(folder("Links", Area::Empty, 0));
            out.push_back(folder("Saved Games", Area::Empty, 0));
            out.push_back(folder("Searches", Area::Empty, 0));
            for (const char* name :
                 {"Application Data", "Cookies", "Local Settings", "My Documents", "NetHood",
                  "PrintHood", "Recent", "SendTo", "Start Menu", "Templates"})
                out.push_back(junction(name));
            out.push_back(file("NTUSER.DAT", system_time(), A_ARCHIVE | A_HIDDEN));
            out.push_back(file("ntuser.dat.LOG1", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            out.push_back(file("ntuser.ini", system_time(), A_ARCHIVE | A_HIDDEN | A_SYSTEM));
            return;
        }
        case Area::UserDocs:
            if (depth == 3 && rng_.chance(0.3)) {
                out.push_back(folder("카카오톡 받은 파일", Area::Downloads, spread_weight()));
                out.push_back(folder("Visual Studio 2022", Area::ProjectsRoot, spread_weight()));
            }
            return open_folder(Area::UserDocs, budget, 4, 80, 0.15, Area::UserDocs, out);
        case Area::Pictures:
            if (depth == 3) {
                out.push_back(folder("Camera Roll", Area::Pictures, spread_weight()));
                out.push_back(
                    folder(rng_.chance(options_.korean_share) ? "스크린샷" : "Screenshots",
                           Area::Pictures, spread_weight()));
            }
            return open_folder(Area::Pictures, budget, 10, 300, 0.06, Area::Pictures, out);
        case Area::Music: {
            uint64_t artists = std::min<uint64_t>(budget, draw_count(5, 24));
            for (uint64_t i = 0; i < artists; ++i) {
                std::string name = korean() ? rng_.pick(ARTISTS_KO) : rng_.pick(ARTISTS_EN);
                out.push_back(folder(name, Area::MusicArtist, spread_weight()));
            }
            for (int i = 0; i < 5; ++i)
                out.push_back(typed_file(Area::Music));
            return;
        }
        case Area::MusicArtist: {
            uint64_t albums =
                std::max<uint64_t>(1, std::min<uint64_t>(budget / 12 + 1, draw_count(1, 8)));
            for (uint64_t i = 0; i < albums; ++i) {
                std::string name = korean() ? korean_phrase() : user_folder_name();
                name = format("%d - ", static_cast<int>(rng_.between(1975, 2026))) + name;
                out.push_back(folder(std::move(name), Area::MusicAlbum, 1));
            }
            return;
        }
        case Area::MusicAlbum:
            out.push_back(file("cover.jpg", user_time()));
            return open_folder(Area::MusicAlbum, budget, 6, 18, 0.0, Area::MusicAlbum, out);
        case Area::Videos:
            return open_folder(Area::Videos, budget, 5, 60, 0.15, Area::Videos, out);
        case Area::Downloads:
            if (rng_.chance(0.3))
                out.push_back(folder("setup_files", Area::Product, spread_weight()));
            return open_folder(Area::Downloads, budget, 20, 400, 0.05, Area::UserDocs, out);
        case Area::AppDataRoot:
            out.push_back(folder("Local", Area::AppVendors, 0.65));
            out.push_back(folder("LocalLow", Area::AppVendors, 0.03));
            out.push_back(folder("Roaming", Area::AppVendors, 0.32));
            return;
        case Area::AppVendors: {
            uint64_t vendors = std::min<uint64_t>(budget, draw_count(8, std::size(APP_VENDORS)));
            for (uint64_t i = 0; i < vendors; ++i) {
                const char* name = rng_.pick(APP_VENDORS);
                Area sub = std::string_view(name) == "Temp"        ? Area::Temp
                           : std::string_view(name) == "npm-cache" ? Area::CacheDir
                                                                   : Area::AppProduct;
                out.push_back(folder(name, sub, spread_weight()));
            }
            out.push_back(file("IconCache.db", user_time(), A_ARCHIVE | A_HIDDEN));
            return;
        }
        case Area::AppProduct:
            return open_folder(Area::AppProduct, budget, 3, 40, 0.35, Area::AppProduct, out);
        case Area::CacheDir:
            out.push_back(file("index", user_time()));
            return open_folder(Area::CacheDir, budget, 50, 1500, 0.0, Area::CacheDir, out);
        case Area::ProgramFiles: {
            uint64_t vendors = std::min<uint64_t>(budget, draw_count(10, std::size(VENDORS)));
            for (uint64_t i = 0; i < vendors; ++i)
                out.push_back(folder(rng_.pick(VENDORS), Area::Product, spread_weight()));
            if (rng_.chance(0.5)) {
                out.push_back(folder("WindowsApps", Area::Product, 3, A_DIR | A_HIDDEN));
            }
            return;
        }
        case Area::Product:
            if (depth <= 4 && rng_.chance(0.4)) {
                out.push_back(folder("locales", Area::Product, spread_weight()));
                out.push_back(file("ko.pak", system_time()));
                out.push_back(file("en-US.pak", system_time()));
            }
            return open_folder(Area::Product, budget, 3, 120, 0.12, Area::Product, out);
        case Area::WindowsRoot: {
            for (const char* name : {"appcompat", "apppatch", "assembly", "Boot", "Branding",
                                     "diagnostics", "Globalization", "Help", "IME", "INF",
                                     "L2Schemas", "Panther", "PolicyDefinitions", "Resources",
                                     "SchCache", "security", "ServiceProfiles", "Speech", "System"})
                out.push_back(folder(name, Area::Product, 0.003));
            out.push_back(folder("Fonts", Area::Fonts, 0.004, A_DIR | A_SYSTEM));
            out.push_back(folder("Logs", Area::Logs, 0.01));
            out.push_back(folder("Microsoft.NET", Area::Product, 0.05));
            out.push_back(folder("Prefetch", Area::Prefetch, 0.003));
            out.push_back(folder("servicing", Area::Product, 0.03));
            out.push_back(folder("System32", Area::System32, 0.30));
            out.push_back(folder("SystemApps", Area::Product, 0.03));
            out.push_back(folder("SysWOW64", Area::System32, 0.15));
            out.push_back(folder("Temp", Area::Temp, 0.01));
            out.push_back(folder("WinSxS", Area::WinSxS, 0.36));
            for (const char* name : {"explorer.exe", "notepad.exe", "regedit.exe", "HelpPane.exe",
                                     "hh.exe", "splwow64.exe", "win.ini", "system.ini",
                                     "bootstat.dat", "WindowsUpdate.log", "WMSysPr9.prx"})
                out.push_back(file(name, system_time()));
            return;
        }
        case Area::System32:
            if (depth == 2) {
                for (const char* name :
                     {"drivers", "DriverStore", "config", "wbem", "WindowsPowerShell", "catroot",
                      "spool", "Tasks", "LogFiles", "winevt"})
                    out.push_back(folder(name, Area::System32, spread_weight()));
                out.push_back(folder("ko-KR", Area::System32, 0.5));
                out.push_back(folder("en-US", Area::System32, 0.5));
            }
            if (depth == 2)
                return open_folder(Area::System32, budget, 2000, 5000, 0.0, Area::System32, out);
            return open_folder(Area::System32, budget, 5, 200, 0.05, Area::System32, out);
        case Area::WinSxS: {
            out.push_back(folder("Manifests", Area::WinSxSComponent, 8));
            out.push_back(folder("Catalogs", Area::WinSxSComponent, 1));
            out.push_back(folder("Backup", Area::WinSxSComponent, 0.5));
            out.push_back(folder("Temp", Area::Temp, 0.2));
            // About a dozen entries below each component folder.
            uint64_t components = std::max<uint64_t>(1, budget / 14);
            static const char* const ARCH[] = {"amd64", "amd64", "amd64", "wow64", "x86", "msil"};
            for (uint64_t i = 0; i < components; ++i) {
                std::string name = rng_.pick(ARCH);
                name += "_";
                name += rng_.pick(WINSXS_COMPONENTS);
                int build = 19041 + static_cast<int>(rng_.below(4)) * 1000;
                name += format("_31bf3856ad364e35_10.0.%d.%d_none_", build,
                               static_cast<int>(rng_.below(5000)));
                name += hex(16);
                out.push_back(folder(std::move(name), Area::WinSxSComponent, 1));
            }
            return;
        }
        case Area::WinSxSComponent:
            return open_folder(Area::WinSxSComponent, budget, 3, 40, 0.02, Area::WinSxSComponent,
                               out);
        case Area::Logs:
            for (const char* name : {"CBS", "DISM", "WindowsUpdate", "MoSetup", "SIH", "waasmedic"})
                out.push_back(folder(name, Area::Logs, spread_weight()));
            return open_folder(Area::Logs, budget, 3, 60, 0.0, Area::Logs, out);
        case Area::Temp:
            return open_folder(Area::Temp, budget, 5, 200, 0.08, Area::Temp, out);
        case Area::Prefetch:
            return open_folder(Area::Prefetch, budget, 100, 500, 0.0, Area::Prefetch, out);
        case Area::Fonts:
            return open_folder(Area::Fonts, budget, 100, 600, 0.0, Area::Fonts, out);
        case Area::ProjectsRoot: {
            uint64_t repos = std::min<uint64_t>(budget, draw_count(2, 25));
            for (uint64_t i = 0; i < repos; ++i)
                out.push_back(folder(rng_.pick(REPOS), Area::Repo, spread_weight()));
            return;
        }
        case Area::Repo: {
            out.push_back(folder(".git", Area::GitDir, 0.25, A_DIR | A_HIDDEN));
            out.push_back(folder("src", Area::SourceDir, 0.25));
            out.push_back(folder("include", Area::SourceDir, 0.05));
            out.push_back(folder("tests", Area::SourceDir, 0.08));
            out.push_back(folder("docs", Area::UserDocs, 0.03));
            out.push_back(folder(rng_.chance(0.5) ? "build" : "out", Area::SourceDir, 0.1));
            if (rng_.chance(0.4)) out.push_back(folder("node_modules", Area::NodeModules, 0.5));
            Child link = folder("shared", Area::Empty, 0, A_DIR | ATTRIBUTE_REPARSE_POINT);
            link.tag = REPARSE_TAG_SYMLINK;
            if (rng_.chance(0.1)) out.push_back(link);
            for (const char* name : {"README.md", "LICENSE", ".gitignore", "CMakeLists.txt",
                                     "package.json", "requirements.txt", ".editorconfig"})
                out.push_back(file(name, user_time()));
            return;
        }
        case Area::GitDir:
            out.push_back(folder("objects", Area::GitObjects, 0.9));
            out.push_back(folder("refs", Area::Package, 0.02));
            out.push_back(folder("hooks", Area::Package, 0.02));
            out.push_back(folder("logs", Area::Package, 0.02));
            for (const char* name :
                 {"HEAD", "config", "description", "index", "packed-refs", "FETCH_HEAD"})
                out.push_back(file(name, user_time()));
            return;
        case Area::GitObjects: {
            uint64_t dirs = std::min<uint64_t>(256, budget / 3 + 1);
            std::unordered_set<std::string> used;
            while (used.size() < dirs)
                used.insert(hex(2));
            std::vector<std::string> sorted(used.begin(), used.end());
            std::sort(sorted.begin(), sorted.end());
            for (auto& name : sorted)
                out.push_back(folder(std::move(name), Area::GitObjectDir, spread_weight()));
            out.push_back(folder("pack", Area::Package, 0.5));
            out.push_back(folder("info", Area::Empty, 0));
            return;
        }
        case Area::GitObjectDir: {
            // Loose objects only, however many there are.
            uint64_t count = std::min<uint64_t>(budget, 4000);
            return open_folder(Area::GitObjectDir, budget, count, count, 0.0, Area::GitObjectDir,
                               out);
        }
        case Area::NodeModules: {
            uint64_t packages = std::min<uint64_t>(budget, draw_count(5, 300));
            for (uint64_t i = 0; i < packages; ++i) {
                std::string name = rng_.pick(PACKAGES);
                if (rng_.chance(0.5)) name += std::string("-") + rng_.pick(SOURCE_WORDS);
                out.push_back(folder(std::move(name), Area::Package, spread_weight()));
            }
            out.push_back(file(".package-lock.json", user_time()));
            return;
        }
        case Area::Package:
            for (const char* name : {"package.json", "README.md", "index.js"})
                out.push_back(file(name, user_time()));
            if (depth <= 12 && rng_.chance(0.1))
                out.push_back(folder("node_modules", Area::NodeModules, spread_weight()));
            return open_folder(Area::Package, budget, 2, 40, 0.2, Area::Package, out);
        case Area::SourceDir:
            return open_folder(Area::SourceDir, budget, 3, 60, 0.15, Area::SourceDir, out);
        case Area::Empty:
            return;
    }
}

// A folder the scan walks into: not a junction or symbolic link, and meant to hold something.
bool can_hold(const Child& c) {
    bool link = c.tag == REPARSE_TAG_MOUNT_POINT || c.tag == REPARSE_TAG_SYMLINK;
    return c.folder && !link && c.area != Area::Empty && c.weight > 0;
}

// ASCII case folding is what makes two names clash in one folder for the names made here.
std::string clash_key(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c | 0x20);
    }
    return key;
}

GeneratedSteps Generator::run() {
    const uint64_t total = std::max<uint64_t>(1, options_.entries);
    out_.steps.reserve(total - 1);
    out_.names.reserve((total - 1) * 24);

    std::deque<Pending> queue;
    if (total > 1) queue.push_back({0, total - 1, Area::Root, 0});
    std::vector<Child> children;
    std::unordered_set<std::string> taken;
    while (!queue.empty()) {
        Pending folder = queue.front();
        queue.pop_front();
        children.clear();
        make_children(folder.area, folder.budget, folder.depth, children);

        // Keep what fits; if the list is too short for the budget, the folders take the rest, and
        // a folder is added when there is none that can hold anything.
        if (children.size() > folder.budget) children.resize(folder.budget);
        uint64_t rest = folder.budget - children.size();
        double weights = 0;
        for (const Child& c : children) {
            if (can_hold(c)) weights += c.weight;
        }
        if (rest > 0 && weights == 0) {
            if (!children.empty()) {
                // Make room for one more folder.
                children.pop_back();
                ++rest;
            }
            --rest;
            Area sub = folder.area == Area::Root || folder.area == Area::Empty ? Area::UserDocs
                                                                               : folder.area;
            children.push_back(this->folder(folder_name_for(sub), sub, 1));
            weights = 1;
        }

        // Names unique within the folder, as the file system keeps them: "name (2).ext".
        taken.clear();
        for (Child& c : children) {
            if (taken.insert(clash_key(c.name)).second) continue;
            size_t dot = c.folder ? std::string::npos : c.name.rfind('.');
            if (dot == 0) dot = std::string::npos;
            std::string stem = c.name.substr(0, dot);
            std::string ext = dot == std::string::npos ? "" : c.name.substr(dot);
            for (int n = 2;; ++n) {
                std::string candidate = stem + format(" (%d)", n) + ext;
                if (taken.insert(clash_key(candidate)).second) {
                    c.name = std::move(candidate);
                    break;
                }
            }
        }

        // Share the rest of the budget among the folders that can hold children.
        std::vector<uint64_t> budgets(children.size(), 0);
        uint64_t given = 0;
        size_t biggest = children.size();
        for (size_t i = 0; i < children.size(); ++i) {
            const Child& c = children[i];
            if (!can_hold(c)) continue;
            budgets[i] = static_cast<uint64_t>(std::floor(rest * (c.weight / weights)));
            given += budgets[i];
            if (biggest == children.size() || c.weight > children[biggest].weight) biggest = i;
        }
        if (biggest < children.size()) budgets[biggest] += rest - given;

        const uint32_t first = static_cast<uint32_t>(out_.steps.size() + 1);
        for (size_t i = 0; i < children.size(); ++i) {
            const Child& c = children[i];
            AddStep step{};
            step.parent = folder.index;
            step.name_offset = static_cast<uint32_t>(out_.names.size());
            step.name_len = static_cast<uint32_t>(c.name.size());
            step.reparse_tag = c.tag;
            step.facts.size = c.folder ? 0 : c.size;
            step.facts.mtime = c.mtime;
            step.facts.attributes = c.attributes;
            out_.names += c.name;
            out_.steps.push_back(step);
            if (budgets[i] > 0) {
                queue.push_back({static_cast<uint32_t>(out_.steps.size()), budgets[i], c.area,
                                 folder.depth + 1});
            }
        }
        if (!children.empty()) {
            out_.spans.push_back({folder.index, first, static_cast<uint32_t>(children.size())});
        }
    }
    return std::move(out_);
}

}  // namespace

GeneratedSteps generate_steps(const GeneratorOptions& options) {
    Generator generator(options);
    return generator.run();
}

void apply_spans(VolumeTable& table, const GeneratedSteps& generated) {
    for (const ChildSpan& span : generated.spans) {
        if (span.folder < table.entries.size())
            table.entries[span.folder].set_child_span(span.first_child, span.child_count);
    }
}

VolumeTable generate_table(const GeneratorOptions& options, std::string root) {
    GeneratedSteps generated = generate_steps(options);
    VolumeTable table = VolumeTable::with_root(std::move(root));
    for (const AddStep& step : generated.steps) {
        table.add_entry(step.parent, generated.name(step), step.facts, step.reparse_tag);
    }
    apply_spans(table, generated);
    return table;
}

std::optional<std::string> write_tree(const std::filesystem::path& dir, uint64_t items,
                                      uint64_t seed) {
    GeneratorOptions options;
    options.entries = items + 1;
    options.seed = seed;
    GeneratedSteps generated = generate_steps(options);

    // Folder paths by entry index; files need none.
    std::vector<std::filesystem::path> folders(generated.steps.size() + 1);
    folders[0] = dir;
    std::error_code ec;
    for (size_t i = 0; i < generated.steps.size(); ++i) {
        const AddStep& step = generated.steps[i];
        std::string_view name = generated.name(step);
        std::filesystem::path path = folders[step.parent] / std::u8string(name.begin(), name.end());
        if (step.facts.attributes & ATTRIBUTE_DIRECTORY) {
            std::filesystem::create_directory(path, ec);
            if (ec) return "cannot create folder " + path.string() + ": " + ec.message();
            folders[i + 1] = std::move(path);
        } else {
            std::ofstream f(path, std::ios::binary);
            if (!f) return "cannot create file " + path.string();
        }
    }
    return std::nullopt;
}

TableProfile profile(const VolumeTable& table) {
    TableProfile p;
    p.entries = table.entries.size();
    std::vector<uint32_t> depth(table.entries.size(), 0);
    uint64_t name_bytes = 0;
    for (size_t i = 0; i < table.entries.size(); ++i) {
        const Entry& e = table.entries[i];
        name_bytes += e.name_len;
        if (i > 0 && e.parent < i) depth[i] = depth[e.parent] + 1;
        p.max_depth = std::max(p.max_depth, depth[i]);
        if (e.flags & FLAG_DIR) {
            ++p.folders;
        } else {
            ++p.kind_counts[e.kind & 7];
        }
        p.hangul_names += (e.flags & FLAG_HANGUL) != 0;
        p.display_names += (e.flags & FLAG_DISPLAY_NAME) != 0;
        p.unicode_upper += (e.flags & FLAG_UNICODE_UPPER) != 0;
        p.links += (e.flags & FLAG_LINK) != 0;
        p.hidden += (e.flags & FLAG_HIDDEN) != 0;
    }
    if (p.entries > 0) p.average_name_bytes = static_cast<double>(name_bytes) / p.entries;
    return p;
}

}  // namespace norvik
