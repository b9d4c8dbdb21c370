#include "RunChecks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

#include <unistd.h>

namespace fs = std::filesystem;

void UseTemporaryHome(const std::string& base) {
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", "/home"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"}};
    for (const auto& [variable, folder] : folders) {
        fs::create_directories(base + folder);
        ::setenv(variable, (base + folder).c_str(), 1);
    }
}

bool ParsePositive(const char* text, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v <= 0 || v > 65536)
        return false;
    value = int(v);
    return true;
}

int ParseBenchOptions(const char* program, int argc, char** argv, const char* usage,
                      const std::vector<BenchOption>& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(usage, stdout);
            std::exit(0);
        }
        bool ok = false;
        for (const BenchOption& o : options) {
            if (a != o.name)
                continue;
            if (!o.takesValue)
                ok = o.take(nullptr);
            else if (i + 1 < argc)
                ok = o.take(argv[++i]);
            break;
        }
        if (!ok) {
            std::fprintf(stderr, "%s: bad option %s\n%s", program, a.c_str(), usage);
            return 2;
        }
    }
    return 0;
}

std::int64_t MibBytes(int mib) {
    return std::int64_t(mib) << 20;
}

double MiBps(int mib, double seconds) {
    return seconds > 0 ? mib / seconds : 0;
}

std::string SelfPath() {
    std::error_code error;
    return fs::read_symlink("/proc/self/exe", error).string();
}

bool FindPrograms(const char* program, const std::vector<NeededProgram>& programs) {
    std::string missing;
    for (const NeededProgram& p : programs) {
        *p.path = FindProgram(p.name);
        if (p.path->empty() && p.needed)
            missing += std::string("  ") + p.hint + "\n";
    }
    if (!missing.empty())
        std::fprintf(stderr, "%s: missing programs:\n%s", program, missing.c_str());
    return missing.empty();
}

std::string ZorvGetPath(const std::string& given) {
    return given.empty() ? fs::path(SelfPath()).parent_path().string() + "/zorv-get" : given;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string LastLine(const std::string& path) {
    std::istringstream lines(ReadText(path));
    std::string last;
    for (std::string line; std::getline(lines, line);) {
        // A progress line redrawn with "\r" shows its last state; terminal
        // escapes ("\033[K") are dropped.
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (const size_t cr = line.rfind('\r'); cr != std::string::npos)
            line.erase(0, cr + 1);
        for (size_t esc; (esc = line.find("\033[")) != std::string::npos;) {
            size_t end = esc + 2;
            while (end < line.size() && !std::isalpha(static_cast<unsigned char>(line[end])))
                ++end;
            line.erase(esc, end + 1 - esc);
        }
        if (line.find_first_not_of(" \t") != std::string::npos)
            last = line;
    }
    return last;
}

std::string CheckOutput(const std::string& dir, std::int64_t bytes) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::string problem;
    if (files.size() != 1)
        problem = std::to_string(files.size()) + " files instead of one";
    else if (const auto size = std::int64_t(fs::file_size(files[0])); size != bytes)
        problem =
            files[0].string() + " holds " + std::to_string(size) + " bytes, not " + std::to_string(bytes);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return problem.empty() ? problem : problem + " in " + dir;
}

void TakeOutput(const std::string& dir, std::int64_t bytes, const char* who) {
    if (const std::string problem = CheckOutput(dir, bytes); !problem.empty())
        throw std::runtime_error(std::string(who) + " left " + problem);
}

ChildOutcome Timed(const std::vector<std::string>& argv, const std::string& log, const char* who,
                   bool sampleOwnPeak) {
    ::sync(); // the previous run's writes do not land in this one
    const ChildOutcome run = RunToEnd(argv, log, sampleOwnPeak);
    if (!run.Succeeded())
        throw std::runtime_error(std::string(who) + " failed (" + run.Describe() + "):\n" + ReadText(log));
    return run;
}

double Median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
