#include "librarian/compile.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "model/icl_file.h"
#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "resources/strings.h"
#include "resources/viewer/viewer_core.h"
#include "resources/viewer/viewer_stub.h"

namespace kavrel {

namespace {

std::optional<kv_pe_info> StubHeaders(std::span<const std::uint8_t> stub)
{
    kv_pe_info info{};
    if (stub.empty() || !kv_pe_read(stub.data(), stub.size(), &info) || info.image_end != stub.size())
        return std::nullopt;
    return info;
}

// The text's bytes up to `size`, never ending inside a UTF-8 sequence.
std::string_view Field(const std::string& text, std::size_t size)
{
    std::size_t n = std::min(text.size(), size);
    if (n < text.size())
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    return std::string_view(text).substr(0, n);
}

std::string WithPath(const char* text, const std::string& path)
{
    std::string s = text;
    if (auto at = s.find("%s"); at != std::string::npos)
        s.replace(at, 2, path);
    return s;
}

} // namespace

std::string CompileWarningText(int iconCount)
{
    std::string s = kCompileWarning;
    s.replace(s.find("%d"), 2, std::to_string(iconCount));
    return s;
}

CompileChoice ChooseIconsToCompile(int count, const std::vector<int>& selected)
{
    CompileChoice choice;
    if (count <= 0)
        return choice;
    std::vector<int> chosen;
    for (int i : selected)
        if (i >= 0 && i < count)
            chosen.push_back(i);
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    if (chosen.size() <= 1) {
        choice.selectAll = true;
        chosen.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            chosen[static_cast<std::size_t>(i)] = i;
    }
    choice.icons = std::move(chosen);
    return choice;
}

CompiledLayout CompiledFileLayout(std::size_t stubSize)
{
    return {stubSize, stubSize + kExeTitleSize, stubSize + kExeTitleSize + kExeCopyrightSize,
            stubSize + kExeTitleSize + kExeCopyrightSize + 1};
}

std::uint32_t PeFileChecksum(std::span<const std::uint8_t> file, std::size_t checksumOffset)
{
    auto byte = [&](std::size_t i) -> std::uint32_t {
        return i >= file.size() || (i >= checksumOffset && i < checksumOffset + 4) ? 0 : file[i];
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        sum += byte(i) | (byte(i + 1) << 8);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

std::span<const std::uint8_t> CarriedViewer()
{
    return ViewerStub();
}

bool IsUsableStub(std::span<const std::uint8_t> stub)
{
    return StubHeaders(stub).has_value();
}

std::vector<std::uint8_t> BuildCompiledExecutable(std::span<const std::uint8_t> stub, const std::string& title,
                                                  const std::string& copyright, std::span<const std::uint8_t> library)
{
    const CompiledLayout layout = CompiledFileLayout(stub.size());
    std::vector<std::uint8_t> out(layout.library + library.size(), 0);
    std::copy(stub.begin(), stub.end(), out.begin());
    const std::string_view t = Field(title, kExeTitleSize);
    const std::string_view c = Field(copyright, kExeCopyrightSize);
    std::copy(t.begin(), t.end(), out.begin() + static_cast<std::ptrdiff_t>(layout.title));
    std::copy(c.begin(), c.end(), out.begin() + static_cast<std::ptrdiff_t>(layout.copyright));
    out[layout.marker] = kCompileMarker;
    std::copy(library.begin(), library.end(), out.begin() + static_cast<std::ptrdiff_t>(layout.library));

    // A set checksum that no longer matches the file makes some loaders and
    // scanners refuse the program; a zero one is never checked.
    if (auto info = StubHeaders(stub); info && info->checksum_offset + 4 <= stub.size()) {
        std::uint8_t* field = out.data() + info->checksum_offset;
        if (field[0] | field[1] | field[2] | field[3]) {
            const std::uint32_t sum = PeFileChecksum(out, info->checksum_offset);
            for (int i = 0; i < 4; ++i)
                field[i] = static_cast<std::uint8_t>(sum >> (8 * i));
        }
    }
    return out;
}

CompileResult CompileExecutable(const std::string& path, const std::string& title, const std::string& copyright,
                                const std::vector<CIconGroup>& icons, std::span<const std::uint8_t> stub,
                                const std::function<void(bool)>& busy)
{
    Prompter& prompts = Prompts();
    auto badPath = [&] {
        prompts.Message(LoadString(kStrCompileBadPath), MB_OK | MB_ICONEXCLAMATION);
        return CompileResult::Failed;
    };
    if (path.empty())
        return badPath();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status))
        return badPath();
    if (std::filesystem::exists(status)) {
        if (prompts.Message(FormatString(kStrCompileExists, path), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return CompileResult::Declined;
    }

    // The new file is made beside the old one and takes its place only once
    // complete, so a failure from here on leaves any old file as it was.
    AtomicFile out(path);
    if (!out.open())
        return badPath();

    // The busy state ends before any message, and on every way out.
    struct Busy {
        const std::function<void(bool)>& tell;
        bool on = false;
        void Set(bool value)
        {
            if (tell && on != value)
                tell(value);
            on = value;
        }
        ~Busy() { Set(false); }
    } state{busy};
    state.Set(true);

    const auto library = BuildIconLibrary(icons);
    if (!library) {
        state.Set(false);
        prompts.Message(FormatString(kStrUnableToSaveLibrary, path), MB_OK | MB_ICONSTOP);
        prompts.Message(LoadString(kStrCompileFailed), MB_OK | MB_ICONEXCLAMATION);
        return CompileResult::Failed;
    }
    if (stub.empty()) {
        state.Set(false);
        prompts.Message(kCompileNoStub, MB_OK);
        return CompileResult::Failed;
    }
    if (!IsUsableStub(stub)) {
        state.Set(false);
        prompts.Message(kCompileBadStub, MB_OK);
        return CompileResult::Failed;
    }

    const std::vector<std::uint8_t> bytes = BuildCompiledExecutable(stub, title, copyright, *library);
    if (!out.write(bytes) || !out.commit()) {
        state.Set(false);
        prompts.Message(WithPath(kCompileWriteError, path), MB_OK | MB_ICONSTOP);
        return CompileResult::Failed;
    }
    return CompileResult::Written;
}

} // namespace kavrel
