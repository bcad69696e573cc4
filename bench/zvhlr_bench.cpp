// zvhlr_bench: times the software engine on seeded scenes (or OBJ/STL files)
// in the plain loop and the opt-in modes, one line per run. Every run happens
// in a child process, so that its peak memory is its own.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <csignal>
#include <exception>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "mesh_file.h"
#include "scenes.h"
#include "zvhlr.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Mode {
    std::string name;  // reference, index, view, index+view
    int threads = 1;
    int32_t Flags() const {
        int32_t flags = 0;
        if (name == "index" || name == "index+view") flags |= ZVSD_OPTION_INDEX;
        if (name == "view" || name == "index+view") flags |= ZVSD_OPTION_BUILTIN_VIEW;
        return flags;
    }
    bool UsesView() const { return (Flags() & ZVSD_OPTION_BUILTIN_VIEW) != 0; }
    std::string Label() const { return UsesView() ? name + "/" + std::to_string(threads) : name; }
};

struct Options {
    std::vector<std::string> scenes = bench::SceneKinds();
    std::vector<int> sizes = {100, 1000, 10000, 100000, 200000};
    std::vector<std::string> modes = {"reference", "index", "index+view"};
    std::vector<int> threads = {1, 2};
    std::vector<std::string> files;
    int referenceMax = 3000;
    int timeout = 300;
    uint64_t seed = 1;
    double scale = 1.0;
};

// The view of every run: an elevated oblique parallel view of the scene.
struct ViewBase {
    double base[12];
    TXYZ Origin() const { return {base[0], base[1], base[2]}; }
    TXYZ Axis(int a) const { return {base[3 + 3 * a], base[4 + 3 * a], base[5 + 3 * a]}; }
};

double Dot(TXYZ a, TXYZ b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
TXYZ Sub(TXYZ a, TXYZ b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
TXYZ Unit(TXYZ a) {
    const double l = std::sqrt(Dot(a, a));
    return {a.X / l, a.Y / l, a.Z / l};
}
TXYZ Cross(TXYZ a, TXYZ b) { return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X}; }

ViewBase ViewOf(const bench::Scene& scene) {
    TXYZ lo{1e300, 1e300, 1e300}, hi{-1e300, -1e300, -1e300};
    for (const bench::Face& f : scene.faces)
        for (const TXYZ& p : f.outer) {
            lo = {std::fmin(lo.X, p.X), std::fmin(lo.Y, p.Y), std::fmin(lo.Z, p.Z)};
            hi = {std::fmax(hi.X, p.X), std::fmax(hi.Y, p.Y), std::fmax(hi.Z, p.Z)};
        }
    const TXYZ z = Unit({0.35, -0.6, 0.72});
    const TXYZ x = Unit(Cross({0, 0, 1}, z));
    const TXYZ y = Cross(z, x);
    const TXYZ o{(lo.X + hi.X) / 2, (lo.Y + hi.Y) / 2, (lo.Z + hi.Z) / 2};
    return {{o.X, o.Y, o.Z, x.X, x.Y, x.Z, y.X, y.Y, y.Z, z.X, z.Y, z.Z}};
}

// The host's side of a run with callbacks: a parallel projection onto the
// view's X and Y axes, depth along its Z axis.
ViewBase hostView;
Clock::time_point calcBegin, calcEnd;
double cpuBegin = 0, cpuEnd = 0;

// Processor seconds of the whole process (every thread) so far.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
long long abortQueries = 0;

extern "C" void Project(ZVSDHandle, const TXYZ* p, TXY* out) {
    const TXYZ d = Sub(*p, hostView.Origin());
    *out = {Dot(d, hostView.Axis(0)), Dot(d, hostView.Axis(1))};
}
extern "C" double Depth(ZVSDHandle, const TXYZ* p, const TPlane* plane, TXYZ*) {
    const double nz = Dot(plane->Normal, hostView.Axis(2));
    if (std::fabs(nz) < 1e-12 * std::sqrt(Dot(plane->Normal, plane->Normal))) return 0.0;
    return Dot(Sub(*p, plane->Origin), plane->Normal) / nz;
}
extern "C" void QueryAbort(ZVSDHandle, int16_t*) { ++abortQueries; }
extern "C" void Begin(ZVSDHandle) {
    cpuBegin = CpuSeconds();
    calcBegin = Clock::now();
}
extern "C" void End(ZVSDHandle) {
    calcEnd = Clock::now();
    cpuEnd = CpuSeconds();
}

uint64_t HashMasks(ZVSDHandle h, int items) {
    uint64_t hash = 1469598103934665603ull;
    std::vector<double> mask;
    for (int i = 0; i < items; ++i) {
        mask.resize(static_cast<size_t>(std::max(0, ZVSDGetMask(h, i, nullptr))));
        ZVSDGetMask(h, i, mask.data());
        for (double v : mask) {
            unsigned char bytes[8];
            std::memcpy(bytes, &v, 8);
            for (unsigned char b : bytes) hash = (hash ^ b) * 1099511628211ull;
        }
        hash = (hash ^ 0xff) * 1099511628211ull;
    }
    return hash;
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double InputMegabytes(const bench::Scene& scene) {
    size_t points = 0;
    for (const bench::Face& f : scene.faces) {
        points += f.outer.size() + 1;
        for (const bench::Contour& h : f.holes) points += h.size() + 1;
    }
    return static_cast<double>(points) * sizeof(TXYZ) / 1e6;
}

// One run, in the child process: loads the scene, calculates, prints the line.
void RunOnce(const bench::Scene& scene, const Mode& mode) {
    hostView = ViewOf(scene);
    ZVSDHandle h = ZVSDCreate();
    TZVSDData data;
    _ZVSDGetData(h, &data);
    data.ProjectProc = Project;
    data.DepthProc = Depth;
    data.QueryAbortProc = QueryAbort;
    data.BeginProc = Begin;
    data.EndProc = End;
    data.FrontPositiveFlag = 0;  // the scenes list their faces counter-clockwise from outside
    _ZVSDSetData(h, &data);
    ZVSDSetOptions(h, mode.Flags(), mode.threads);
    ZVSDSetView(h, hostView.base, 0.0);
    ZVSDSetChanging(h, 1);
    for (const bench::Face& f : scene.faces) {
        ZVSDAddContour(h, static_cast<int32_t>(f.outer.size()), f.outer.data());
        for (const bench::Contour& hole : f.holes) ZVSDAddHole(h, static_cast<int32_t>(hole.size()), hole.data());
    }
    ZVSDSetChanging(h, 0);  // calculates
    const double seconds = std::chrono::duration<double>(calcEnd - calcBegin).count();
    _ZVSDGetData(h, &data);
    int64_t counts[2] = {0, 0};
    std::string pairs, crossings(1, '-');
    const bool counted = ZVSDGetStatistics(h, counts) == 0;
    if (counted) {
        pairs = std::to_string(counts[0]);
        crossings = std::to_string(counts[1]);
    } else {
        pairs = std::to_string(abortQueries);  // the plain loop examines every pair, one abort query each
    }
    const uint64_t hash = HashMasks(h, data.ItemCount);
    // Processor microseconds per crossing: the figure that stays flat when
    // the work grows with the crossings alone.
    char perCrossing[32] = "-";
    if (counted && counts[1] > 0)
        std::snprintf(perCrossing, sizeof perCrossing, "%.2f", (cpuEnd - cpuBegin) * 1e6 / static_cast<double>(counts[1]));
    std::printf("%-11s %8zu %8d %-14s %9.3f %9.3f %12s %10s %8.1f %8.1f %016llx %8s\n", scene.name.c_str(),
                scene.faces.size(), data.ItemCount, mode.Label().c_str(), seconds, cpuEnd - cpuBegin, pairs.c_str(), crossings.c_str(),
                PeakKilobytes() / 1024.0, InputMegabytes(scene), static_cast<unsigned long long>(hash), perCrossing);
    std::fflush(stdout);
    ZVSDFree(h);
}

// Runs one (scene, mode) in a child process; reports a timeout or a crash.
void RunInChild(const std::string& name, int faces, const std::function<bench::Scene()>& make, const Mode& mode,
                int timeout) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(static_cast<unsigned>(timeout));
        try {
            RunOnce(make(), mode);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zvhlr_bench: %s\n", e.what());
            _exit(2);
        }
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) < 0) {
        std::perror("zvhlr_bench: fork");
        return;
    }
    if (WIFSIGNALED(status))
        std::printf("%-11s %8d %8s %-14s %9s\n", name.c_str(), faces, "-", mode.Label().c_str(),
                    WTERMSIG(status) == SIGALRM ? "timeout" : "crashed");
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, ','))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

std::vector<int> SplitNumbers(const std::string& text) {
    std::vector<int> numbers;
    for (const std::string& part : SplitList(text)) numbers.push_back(std::stoi(part));
    return numbers;
}

void Usage() {
    std::fprintf(stderr,
                 "usage: zvhlr_bench [--scenes boxes,rotated,terrain,sphere,city,heightfield,blocks,overlap,flange]\n"
                 "                   [--sizes 100,1000,...]\n"
                 "                   [--modes reference,index,view,index+view] [--threads 1,2]\n"
                 "                   [--reference-max FACES] [--timeout SECONDS] [--seed N] [--scale FACTOR]\n"
                 "                   [FILE.obj|FILE.stl ...]\n");
}

bool ParseArguments(int argc, char** argv, Options& o) {
    try {
        for (int k = 1; k < argc; ++k) {
            const std::string arg = argv[k];
            auto value = [&]() -> std::string {
                if (k + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
                return argv[++k];
            };
            if (arg == "--scenes") o.scenes = SplitList(value());
            else if (arg == "--sizes") o.sizes = SplitNumbers(value());
            else if (arg == "--modes") o.modes = SplitList(value());
            else if (arg == "--threads") o.threads = SplitNumbers(value());
            else if (arg == "--reference-max") o.referenceMax = std::stoi(value());
            else if (arg == "--timeout") o.timeout = std::stoi(value());
            else if (arg == "--seed") o.seed = std::stoull(value());
            else if (arg == "--scale") o.scale = std::stod(value());
            else if (arg == "-h" || arg == "--help") return false;
            else if (!arg.empty() && arg[0] == '-') throw std::invalid_argument("unknown option " + arg);
            else o.files.push_back(arg);
        }
        for (const std::string& m : o.modes)
            if (m != "reference" && m != "index" && m != "view" && m != "index+view")
                throw std::invalid_argument("unknown mode " + m);
        for (const std::string& s : o.scenes) bench::MakeScene(s, 1, 1);  // rejects unknown kinds
        if (!o.files.empty() && o.scenes == bench::SceneKinds()) o.scenes.clear();  // files only unless asked
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zvhlr_bench: %s\n", e.what());
        return false;
    }
    return true;
}

std::vector<Mode> ModesOf(const Options& o) {
    std::vector<Mode> modes;
    for (const std::string& name : o.modes) {
        if (name == "reference" || name == "index") {
            modes.push_back({name, 1});
        } else {
            for (int t : o.threads) modes.push_back({name, t});
        }
    }
    return modes;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        Usage();
        return 2;
    }
    std::printf("%-11s %8s %8s %-14s %9s %9s %12s %10s %8s %8s %-16s %8s\n", "scene", "faces", "items", "mode", "seconds",
                "cpu_s", "pairs", "crossings", "peak_mb", "input_mb", "mask_hash", "us_cross");
    const std::vector<Mode> modes = ModesOf(options);
    for (const std::string& path : options.files) {
        bench::Scene scene;
        try {
            scene = bench::ReadMeshFile(path);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zvhlr_bench: %s\n", e.what());
            return 1;
        }
        for (const Mode& mode : modes) {
            if (mode.name == "reference" && static_cast<int>(scene.faces.size()) > options.referenceMax) continue;
            RunInChild(path, static_cast<int>(scene.faces.size()), [&] { return scene; }, mode, options.timeout);
        }
    }
    for (const std::string& kind : options.scenes)
        for (int size : options.sizes)
            for (const Mode& mode : modes) {
                if (mode.name == "reference" && size > options.referenceMax) continue;
                RunInChild(kind, size,
                           [&] {
                               bench::Scene scene = bench::MakeScene(kind, size, options.seed);
                               if (options.scale != 1.0) bench::ScaleScene(scene, options.scale);
                               return scene;
                           },
                           mode, options.timeout);
            }
    return 0;
}
