// list [--offsets] [--salvage] FILE...: one line per icon, "N<TAB>NAME<TAB>FORMATS".
#include <algorithm>
#include <sstream>
#include <thread>

#include "cli/commands.h"

namespace kavrel::cli {
namespace {

// Many files are listed by several threads, each into its own text; the
// texts are written out in the order the files were given, so the output is
// the same as listing them one after another.
constexpr std::size_t kFilesPerThreadAtLeast = 32;
constexpr std::size_t kFilesPerRound = 2048; // bounds the text held at once
constexpr unsigned kMaxThreads = 8;

bool AllOffsetsKnown(const std::vector<CIconGroup>& groups)
{
    for (const auto& group : groups)
        for (const auto& f : group.formats)
            if (!f->sourceOffset)
                return false;
    return true;
}

struct ListOptions {
    bool offsets = false;
    bool salvage = false;
    bool headers = false; // "# PATH" before each file's icons
};

// One file's lines into `io`; false when it could not be listed.
bool ListFile(const std::string& path, const ListOptions& options, Io& io)
{
    std::vector<CIconGroup> groups;
    if (!LoadIcons(path, groups, io, options.salvage, ImageBytes::Skip))
        return false;
    if (options.offsets && !AllOffsetsKnown(groups)) {
        Failure(io, path + ": cannot read the image offsets");
        return false;
    }
    if (options.headers)
        io.out << "# " << path << "\n";
    for (std::size_t n = 0; n < groups.size(); ++n) {
        io.out << n + 1 << "\t" << EscapedName(groups[n].name) << "\t";
        for (int i = 0; i < groups[n].FormatCount(); ++i) {
            const CIcon& icon = *groups[n].GetFormat(i);
            io.out << (i ? " " : "") << icon.FormatLabel();
            if (options.offsets)
                io.out << "@" << *icon.sourceOffset;
        }
        io.out << "\n";
    }
    return true;
}

// What one thread made of a run of files: its texts and, per file, where
// that file's part of each text ends.
struct Batch {
    std::ostringstream out, err;
    std::vector<std::pair<std::size_t, std::size_t>> ends;
    bool ok = true;
};

void ListBatch(const std::vector<std::string>& paths, std::size_t first, std::size_t last, const ListOptions& options,
               Batch& batch)
{
    Io io{batch.out, batch.err};
    for (std::size_t i = first; i < last; ++i) {
        if (!ListFile(paths[i], options, io))
            batch.ok = false;
        batch.ends.emplace_back(static_cast<std::size_t>(batch.out.tellp()),
                                static_cast<std::size_t>(batch.err.tellp()));
    }
}

unsigned ThreadsFor(std::size_t files)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t byFiles = std::max<std::size_t>(1, files / kFilesPerThreadAtLeast);
    return static_cast<unsigned>(std::min<std::size_t>({cores, kMaxThreads, byFiles}));
}

} // namespace

int RunList(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {}, {"--offsets", "--salvage"}, error);
    if (!args)
        return UsageError(io, "list", error);
    const std::vector<std::string>& paths = args->positional;
    if (paths.empty())
        return UsageError(io, "list", "no file given");
    ListOptions options;
    options.offsets = args->has("--offsets");
    options.salvage = args->has("--salvage");
    options.headers = paths.size() > 1;

    bool ok = true;
    if (ThreadsFor(paths.size()) == 1) {
        for (const std::string& path : paths)
            ok = ListFile(path, options, io) && ok;
        return ok ? kExitOk : kExitFailed;
    }
    for (std::size_t round = 0; round < paths.size(); round += kFilesPerRound) {
        const std::size_t end = std::min(paths.size(), round + kFilesPerRound);
        const unsigned threads = ThreadsFor(end - round);
        std::vector<Batch> batches(threads);
        std::vector<std::thread> workers;
        for (unsigned t = 0; t < threads; ++t) {
            const std::size_t first = round + (end - round) * t / threads;
            const std::size_t last = round + (end - round) * (t + 1) / threads;
            workers.emplace_back(ListBatch, std::cref(paths), first, last, std::cref(options), std::ref(batches[t]));
        }
        for (auto& w : workers)
            w.join();
        // Each file's error lines come before its icons, as when listed alone.
        for (Batch& batch : batches) {
            const std::string out = batch.out.str(), err = batch.err.str();
            std::size_t outAt = 0, errAt = 0;
            for (auto [outEnd, errEnd] : batch.ends) {
                // Only actual error text goes out: every write on the error
                // stream first flushes the output stream it is tied to.
                if (errEnd > errAt)
                    io.err.write(err.data() + errAt, static_cast<std::streamsize>(errEnd - errAt));
                io.out.write(out.data() + outAt, static_cast<std::streamsize>(outEnd - outAt));
                outAt = outEnd;
                errAt = errEnd;
            }
            ok = ok && batch.ok;
        }
    }
    return ok ? kExitOk : kExitFailed;
}

} // namespace kavrel::cli
