#include "vcl/core/PathUtils.h"

#include "vcl/core/FileUtils.h"

#include <vector>

namespace vcl {
namespace {

size_t NameStart(std::string_view fileName)
{
    const size_t slash = fileName.rfind('/');
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Index in fileName of the dot that starts the extension, or npos.
size_t ExtensionDot(std::string_view fileName)
{
    const size_t start = NameStart(fileName);
    const std::string_view name = fileName.substr(start);
    const size_t firstNonDot = name.find_first_not_of('.');
    const size_t lastDot = name.rfind('.');
    if (firstNonDot == std::string_view::npos || lastDot == std::string_view::npos || lastDot < firstNonDot)
        return std::string_view::npos;
    return start + lastDot;
}

std::vector<std::string_view> Components(std::string_view path)
{
    std::vector<std::string_view> parts;
    size_t i = 0;
    while (i < path.size()) {
        const size_t slash = path.find('/', i);
        const size_t end = slash == std::string_view::npos ? path.size() : slash;
        if (end > i)
            parts.push_back(path.substr(i, end - i));
        i = end + 1;
    }
    return parts;
}

// Resolves "." and ".." in the components of a path; for an absolute path
// ".." at the root is dropped, for a relative one it is kept.
std::vector<std::string_view> Resolve(std::string_view path, bool absolute)
{
    std::vector<std::string_view> out;
    for (const std::string_view part : Components(path)) {
        if (part == ".")
            continue;
        if (part == "..") {
            if (!out.empty() && out.back() != "..")
                out.pop_back();
            else if (!absolute)
                out.push_back(part);
            continue;
        }
        out.push_back(part);
    }
    return out;
}

std::string Join(const std::vector<std::string_view>& parts, bool absolute)
{
    std::string out = absolute ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '/';
        out += parts[i];
    }
    return out;
}

} // namespace

std::string ExtractFilePath(std::string_view fileName)
{
    return std::string(fileName.substr(0, NameStart(fileName)));
}

std::string ExtractFileDir(std::string_view fileName)
{
    std::string_view dir = fileName.substr(0, NameStart(fileName));
    while (dir.size() > 1 && dir.back() == '/')
        dir.remove_suffix(1);
    return std::string(dir);
}

std::string ExtractFileName(std::string_view fileName)
{
    return std::string(fileName.substr(NameStart(fileName)));
}

std::string ExtractFileExt(std::string_view fileName)
{
    const size_t dot = ExtensionDot(fileName);
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(dot));
}

std::string ChangeFileExt(std::string_view fileName, std::string_view extension)
{
    const size_t dot = ExtensionDot(fileName);
    std::string out(fileName.substr(0, dot == std::string_view::npos ? fileName.size() : dot));
    out += extension;
    return out;
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string out(path);
    if (!out.empty() && out.back() != '/')
        out += '/';
    return out;
}

std::string IncludeTrailingBackslash(std::string_view path)
{
    return IncludeTrailingPathDelimiter(path);
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

std::string ExcludeTrailingBackslash(std::string_view path)
{
    return ExcludeTrailingPathDelimiter(path);
}

bool IsPathDelimiter(std::string_view s, int index)
{
    return index >= 1 && static_cast<size_t>(index) <= s.size() && s[static_cast<size_t>(index - 1)] == '/';
}

std::string NormalizePath(std::string_view path)
{
    if (path.empty())
        return ".";
    const bool absolute = path.front() == '/';
    std::string out = Join(Resolve(path, absolute), absolute);
    if (out.empty())
        return ".";
    if (path.back() == '/' && out.back() != '/')
        out += '/';
    return out;
}

std::string ExpandFileName(std::string_view fileName)
{
    if (fileName.empty())
        return {};
    std::string full;
    if (fileName.front() != '/') {
        full = IncludeTrailingPathDelimiter(GetCurrentDir());
        if (full.empty())
            full.push_back('/');
    }
    full += fileName;
    std::string out = Join(Resolve(full, true), true);
    const bool dirLike = fileName.back() == '/';
    if (dirLike && out.back() != '/')
        out += '/';
    return out;
}

std::string ExtractRelativePath(std::string_view baseName, std::string_view destName)
{
    const bool baseAbsolute = !baseName.empty() && baseName.front() == '/';
    const bool destAbsolute = !destName.empty() && destName.front() == '/';
    if (baseAbsolute != destAbsolute)
        return std::string(destName);
    const std::string basePath = ExtractFilePath(baseName);
    const std::string destPath = ExtractFilePath(destName);
    const std::vector<std::string_view> base = Resolve(basePath, baseAbsolute);
    const std::vector<std::string_view> dest = Resolve(destPath, destAbsolute);
    size_t common = 0;
    while (common < base.size() && common < dest.size() && base[common] == dest[common])
        ++common;
    std::string out;
    for (size_t i = common; i < base.size(); ++i) {
        if (base[i] == "..")
            return std::string(destName); // cannot climb back out of an unknown folder
        out += "../";
    }
    for (size_t i = common; i < dest.size(); ++i) {
        out += dest[i];
        out += '/';
    }
    out += ExtractFileName(destName);
    return out;
}

} // namespace vcl
