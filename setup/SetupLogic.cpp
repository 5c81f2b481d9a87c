#include "SetupLogic.h"

#include <algorithm>
#include <cstring>

#include "CommandLine.h"

namespace setup {

namespace {

// text from pos on (pos at most its length); unlike substr, never throws.
std::string_view From(std::string_view text, std::size_t pos) {
    return std::string_view(text.data() + pos, text.size() - pos);
}

// The first n characters of text (n at most its length).
std::string_view First(std::string_view text, std::size_t n) {
    return std::string_view(text.data(), n);
}

// Copies text into out (size bytes) with its terminator; false, with out empty, when it
// does not fit.
bool CopyFitting(std::string_view text, char* out, std::size_t size) {
    if (size == 0) return false;
    if (text.size() >= size) {
        out[0] = '\0';
        return false;
    }
    if (!text.empty()) std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return true;
}

}  // namespace

const char* InstallerLibrary(std::uint32_t version) {
    return (version & 0x80000000u) != 0 ? "setupx.dll" : "setupapi";
}

std::string_view CommandTail(std::string_view commandLine) {
    return tk::CommandTail(commandLine);
}

Action ChooseInf(std::string_view tail, std::string_view programPath, char (&infPath)[kPathSize]) {
    infPath[0] = '\0';
    if (!tail.empty() && tail[0] == 'U') {
        return CopyFitting(From(tail, 1), infPath, kPathSize) ? Action::Uninstall : Action::Refuse;
    }
    constexpr std::string_view kExtension = ".inf";
    std::string_view stem =
        First(programPath, programPath.size() - std::min<std::size_t>(programPath.size(), 4));
    if (stem.size() + kExtension.size() >= kPathSize) return Action::Refuse;
    if (!stem.empty()) std::memcpy(infPath, stem.data(), stem.size());
    std::memcpy(infPath + stem.size(), kExtension.data(), kExtension.size());
    infPath[stem.size() + kExtension.size()] = '\0';
    return Action::Install;
}

void SetProductName(std::string_view value, char (&name)[kNameSize]) {
    CopyFitting(First(value, std::min(value.size(), kNameSize - 1)), name, kNameSize);
}

bool FillForm(char* out, std::size_t outSize, std::string_view form,
              std::initializer_list<std::string_view> args) {
    if (outSize == 0) return false;
    const std::string_view* next = args.begin();
    std::size_t used = 0;
    auto append = [&](std::string_view piece) {
        if (piece.size() >= outSize - used) return false;
        if (piece.empty()) return true;
        std::memcpy(out + used, piece.data(), piece.size());
        used += piece.size();
        return true;
    };
    for (std::size_t i = 0; i < form.size(); ++i) {
        bool ok;
        if (form[i] == '%' && i + 1 < form.size() && form[i + 1] == 's') {
            ok = append(next != args.end() ? *next++ : std::string_view());
            ++i;
        } else {
            ok = append(First(From(form, i), 1));
        }
        if (!ok) {
            out[0] = '\0';
            return false;
        }
    }
    out[used] = '\0';
    return true;
}

bool ComposeQuestion(Action action, std::string_view productName, char (&text)[kTextSize]) {
    return FillForm(text, kTextSize,
                    action == Action::Uninstall ? kUninstallQuestion : kInstallQuestion,
                    {productName});
}

bool ComposeCommand(Action action, std::string_view library, std::string_view shortInfPath,
                    char (&text)[kTextSize]) {
    return FillForm(text, kTextSize,
                    action == Action::Uninstall ? kUninstallCommand : kInstallCommand,
                    {library, shortInfPath});
}

void AcceptShortPath(unsigned long result, char (&shortInfPath)[kPathSize]) {
    shortInfPath[result != 0 && result < kPathSize ? result : 0] = '\0';
}

std::size_t BoundedLength(const char* text, std::size_t size) {
    const void* end = std::memchr(text, '\0', size);
    return end == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(end) - text);
}

}  // namespace setup
