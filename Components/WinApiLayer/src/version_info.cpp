// Module version information. The version resource is the ELF section
// ".winapi_version" of the module file (see winapi_version_resource.h), read
// back through Windows' version API so that callers are the same on both lanes.
#include <winapi_version_resource.h>
#include <winbase.h>
#include <wide_text.h>

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

enum class SectionResult { kFound, kNoFile, kNotElf, kNoSection };

template <typename T>
bool ReadAt(std::ifstream& file, uint64_t offset, T* out, size_t count = 1) {
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(sizeof(T) * count));
  return file.good();
}

bool IsElf64(const Elf64_Ehdr& header) {
  return std::memcmp(header.e_ident, ELFMAG, SELFMAG) == 0 && header.e_ident[EI_CLASS] == ELFCLASS64 &&
         header.e_shentsize == sizeof(Elf64_Shdr);
}

// Reads the named section of a 64-bit ELF file into `contents`.
SectionResult ReadSection(LPCWSTR fileName, const char* wanted, std::vector<BYTE>& contents) {
  std::ifstream file(wide::ToUtf8(fileName, wide::Length(fileName)), std::ios::binary);
  if (!file) return SectionResult::kNoFile;
  Elf64_Ehdr header{};
  if (!ReadAt(file, 0, &header) || !IsElf64(header)) return SectionResult::kNotElf;
  if (header.e_shnum == 0 || header.e_shstrndx >= header.e_shnum) return SectionResult::kNoSection;
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  if (!ReadAt(file, header.e_shoff, sections.data(), sections.size())) return SectionResult::kNotElf;
  const Elf64_Shdr& names = sections[header.e_shstrndx];
  std::vector<char> nameTable(names.sh_size + 1, '\0');
  if (!ReadAt(file, names.sh_offset, nameTable.data(), names.sh_size)) return SectionResult::kNotElf;
  const size_t wantedLength = std::strlen(wanted);
  for (const Elf64_Shdr& section : sections) {
    if (section.sh_name + wantedLength >= nameTable.size() ||
        std::strcmp(nameTable.data() + section.sh_name, wanted) != 0 || section.sh_type == SHT_NOBITS)
      continue;
    contents.resize(section.sh_size);
    if (!ReadAt(file, section.sh_offset, contents.data(), contents.size())) return SectionResult::kNotElf;
    return SectionResult::kFound;
  }
  return SectionResult::kNoSection;
}

// The version block of a module, or false with the last error set.
bool ReadVersionBlock(LPCWSTR fileName, std::vector<BYTE>& block) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  switch (ReadSection(fileName, VS_VERSION_INFO_SECTION, block)) {
    case SectionResult::kFound:
      if (block.size() >= sizeof(WinApiVersionResource)) return true;
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return false;
    case SectionResult::kNoFile:
      SetLastError(ERROR_FILE_NOT_FOUND);
      return false;
    case SectionResult::kNotElf:
      SetLastError(ERROR_BAD_EXE_FORMAT);
      return false;
    case SectionResult::kNoSection:
      break;
  }
  SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return false;
}

bool IsRoot(LPCWSTR subBlock) { return subBlock[0] == 0 || (subBlock[0] == W('\\') && subBlock[1] == 0); }

}  // namespace

extern "C" DWORD GetFileVersionInfoSizeW(LPCWSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  std::vector<BYTE> block;
  if (!ReadVersionBlock(fileName, block)) return 0;
  return static_cast<DWORD>(block.size());
}

extern "C" BOOL GetFileVersionInfoW(LPCWSTR fileName, DWORD handle, DWORD length, LPVOID data) {
  if (!data) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  std::vector<BYTE> block;
  if (!ReadVersionBlock(fileName, block)) return FALSE;
  // A short buffer receives the beginning of the block, as on Windows.
  std::memcpy(data, block.data(), block.size() < length ? block.size() : length);
  return TRUE;
}

extern "C" BOOL VerQueryValueW(LPCVOID block, LPCWSTR subBlock, LPVOID* buffer, UINT* length) {
  if (!block || !subBlock || !buffer) return FALSE;
  const auto* root = static_cast<const WinApiVersionResource*>(block);
  // Only the root block, the fixed file information, is kept.
  if (!IsRoot(subBlock) || root->wValueLength != sizeof(VS_FIXEDFILEINFO) ||
      root->value.dwSignature != VS_FFI_SIGNATURE) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  *buffer = const_cast<VS_FIXEDFILEINFO*>(&root->value);
  if (length) *length = root->wValueLength;
  return TRUE;
}
