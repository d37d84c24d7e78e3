#include "framework/Archive.h"

#include "framework/ClassRegistry.h"
#include "framework/MemoryManager.h"
#include "framework/SerialisableObject.h"
#include "framework/services/FrameworkTexts.h"
#include "framework/services/MessageBoxes.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace framework {

// One open object block while it is transferred. Ends are computed in 64 bits: the lengths come from
// the file and may be anything.
struct Archive::Block {
    uint32_t classId = 0;
    uint32_t offsetA = 0;
    uint32_t lengthA = 0;
    uint32_t offsetB = 0;
    uint32_t lengthB = 0;
    // Set for a record that stands in for an object that was not read or could not be written, so
    // that the object's EndObject stays balanced.
    bool isEmpty = true;

    uint64_t EndA() const { return uint64_t{offsetA} + 4 + lengthA; }
    uint64_t EndB() const { return uint64_t{offsetB} + 4 + lengthB; }
};

Archive::Archive(const String& path, Direction direction, uint32_t typeId, uint32_t options,
                 const int32_t* accepted)
    : File(path), name(path), blocks(PointerArray::DeleteAs<Block>), direction(direction), options(options),
      typeId(typeId) {
    if (typeId != 0) {
        acceptedIds.AddUnique(static_cast<int32_t>(typeId));
    }
    for (const int32_t* id = accepted; id != nullptr && *id >= 0; ++id) {
        acceptedIds.AddUnique(*id);
    }
    const uint32_t mode = IsWriting() ? ModeWrite : ModeRead;
    if (!Open(mode, 0, NormalAttributes, false)) {
        SetError(IsWriting() ? ErrorOpenWrite : ErrorOpenRead);
        return;
    }
    window = static_cast<uint8_t*>(MemoryManager::Instance().Allocate(WindowSize));
    if (IsWriting()) {
        WriteHeader();
    } else {
        ReadHeader();
    }
}

Archive::~Archive() {
    Close();
}

void Archive::Close() {
    if (IsWriting() && window != nullptr && windowFill > 0) {
        FlushWindow();
    }
    blocks.Clear();
    MemoryManager::Instance().Free(window);
    window = nullptr;
    windowFill = 0;
    File::Close();
}

void Archive::WriteHeader() {
    if (typeId != 0) {
        RawWrite(&typeId, 4);
    }
    const uint32_t marks[2] = {LengthsMark, DoublesMark};
    RawWrite(marks, sizeof marks);
    hasLengths = true;
    storesFloats = false;
}

bool Archive::ReadHeaderWord(uint32_t mark) {
    uint32_t word = 0;
    if (uint64_t{streamPosition} + 4 > Size() || !RawRead(&word, 4)) {
        return false;
    }
    if (word == mark) {
        return true;
    }
    streamPosition -= 4;
    return false;
}

void Archive::ReadHeader() {
    if (Size() > 0 && !LoadWindow(0)) {
        return;
    }
    if (typeId != 0) {
        uint32_t word = 0;
        if (uint64_t{streamPosition} + 4 > Size() || !RawRead(&word, 4) ||
            acceptedIds.IndexOf(static_cast<int32_t>(word), 0) < 0) {
            SetError(ErrorTypeNotAccepted);
            return;
        }
        typeId = word;
    }
    hasLengths = ReadHeaderWord(LengthsMark);
    storesFloats = !ReadHeaderWord(DoublesMark);
    if (ReadHeaderWord(WideTextMark)) {
        hasWideText = true;
        if ((options & OptionAcceptWideText) == 0) {
            SetError(ErrorWideText);
        }
    }
}

// --- The 64 KiB window ---------------------------------------------------------------------------

bool Archive::LoadWindow(uint32_t offset) {
    const uint32_t expected = static_cast<uint32_t>(std::min<uint64_t>(WindowSize, Size() - offset));
    SeekTo(static_cast<int32_t>(offset));
    windowOffset = offset;
    windowFill = Read(window, expected);
    if (windowFill < expected) {
        SetError(ErrorShortRead);
        return false;
    }
    return true;
}

bool Archive::FlushWindow() {
    SeekTo(static_cast<int32_t>(windowOffset));
    const uint32_t written = Write(window, windowFill);
    if (written < windowFill) {
        SetError(ErrorShortWrite);
        return false;
    }
    return true;
}

bool Archive::RawRead(void* item, uint32_t count) {
    if (window == nullptr || uint64_t{streamPosition} + count > Size()) {
        return false;
    }
    auto* out = static_cast<uint8_t*>(item);
    while (count > 0) {
        if (streamPosition < windowOffset || streamPosition >= uint64_t{windowOffset} + windowFill) {
            if (!LoadWindow(streamPosition)) {
                return false;
            }
        }
        const uint32_t piece = std::min(count, windowOffset + windowFill - streamPosition);
        std::memcpy(out, window + (streamPosition - windowOffset), piece);
        out += piece;
        count -= piece;
        streamPosition += piece;
    }
    return true;
}

bool Archive::RawWrite(const void* item, uint32_t count) {
    if (window == nullptr) {
        return false;
    }
    const auto* in = static_cast<const uint8_t*>(item);
    while (count > 0) {
        if (streamPosition - windowOffset == WindowSize) {
            if (!FlushWindow()) {
                return false;
            }
            windowOffset += WindowSize;
            windowFill = 0;
        }
        const uint32_t at = streamPosition - windowOffset;
        const uint32_t piece = std::min(count, WindowSize - at);
        std::memcpy(window + at, in, piece);
        windowFill = std::max(windowFill, at + piece);
        in += piece;
        count -= piece;
        streamPosition += piece;
    }
    return true;
}

bool Archive::WriteAt(uint32_t offset, uint32_t value) {
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    // The bytes that lie in the window are patched there; earlier ones, already written out, are
    // patched in the file.
    uint32_t inFile = 0;
    while (inFile < 4 && offset + inFile < windowOffset) {
        ++inFile;
    }
    if (inFile > 0) {
        const uint32_t keepPosition = Position();
        SeekTo(static_cast<int32_t>(offset));
        const uint32_t written = Write(bytes, inFile);
        SeekTo(static_cast<int32_t>(keepPosition));
        if (written < inFile) {
            SetError(ErrorShortWrite);
            return false;
        }
    }
    if (inFile < 4) {
        std::memcpy(window + (offset + inFile - windowOffset), bytes + inFile, 4 - inFile);
    }
    return true;
}

// --- Object blocks --------------------------------------------------------------------------------

Archive::Block* Archive::PushBlock() {
    return static_cast<Block*>(blocks.InsertAt(new Block, 0));
}

Archive::Block* Archive::Innermost() const {
    return blocks.Get<Block>(0);
}

void Archive::BeginObjectWrite(SerialisableObject& object) {
    Block* block = PushBlock();
    if (IsReading()) {
        SetError(ErrorWriteWhileReading);
        return;
    }
    if (errorBits != 0) {
        return;
    }
    block->classId = object.ClassId();
    const uint32_t zero = 0;
    RawWrite(&block->classId, 4);
    block->offsetA = streamPosition;
    RawWrite(&zero, 4);
    block->offsetB = streamPosition;
    RawWrite(&zero, 4);
    block->isEmpty = false;
}

bool Archive::BeginObjectRead(bool create, SerialisableObject** created) {
    const Block* parent = Innermost();
    Block* block = PushBlock();
    if (IsWriting()) {
        SetError(ErrorReadWhileWriting);
        return false;
    }
    if (errorBits != 0 || window == nullptr) {
        return false;
    }
    if (parent != nullptr && (parent->isEmpty || parent->EndA() <= streamPosition + 4ull ||
                              parent->EndB() <= streamPosition + 4ull)) {
        return false;
    }
    uint32_t classId = 0;
    if (!RawRead(&classId, 4) || streamPosition >= Size()) {
        SetError(ErrorEndOfFile);
        return false;
    }
    block->classId = classId;
    block->offsetA = streamPosition;
    if (!RawRead(&block->lengthA, 4)) {
        SetError(ErrorEndOfFile);
        return false;
    }
    block->offsetB = block->offsetA;
    block->lengthB = block->lengthA;
    if (hasLengths) {
        block->offsetB = streamPosition;
        if (!RawRead(&block->lengthB, 4)) {
            SetError(ErrorEndOfFile);
            return false;
        }
    }
    if (streamPosition == Size()) {
        return false;
    }
    if (block->lengthB > block->lengthA || block->EndB() > Size() || block->EndA() > Size()) {
        SetError(ErrorLengths);
        return false;
    }
    block->isEmpty = false;
    if (classId != 0) {
        if (create) {
            *created = ClassRegistry::Create(classId);
            if (*created != nullptr) {
                return true;
            }
        } else if (ClassRegistry::IsRegistered(classId)) {
            return true;
        }
    }
    SetError(ErrorUnknownClass);
    return false;
}

void Archive::TransferObject(SerialisableObject& object) {
    if (IsWriting()) {
        BeginObjectWrite(object);
    } else {
        BeginObjectRead(false, nullptr);
    }
    object.Serialise(*this);
}

SerialisableObject* Archive::ReadNewObject() {
    SerialisableObject* object = nullptr;
    if (!BeginObjectRead(true, &object)) {
        blocks.RemoveAt(0, true);
        return nullptr;
    }
    object->Serialise(*this);
    return object;
}

void Archive::NextSection() {
    Block* block = Innermost();
    if (block == nullptr || block->isEmpty || errorBits != 0) {
        return;
    }
    if (IsWriting()) {
        WriteAt(block->offsetB, streamPosition - block->offsetB - 4);
        block->offsetB = streamPosition;
        block->lengthB = 0;
        const uint32_t zero = 0;
        RawWrite(&zero, 4);
        return;
    }
    const uint64_t sectionEnd = block->EndB();
    if (hasLengths && sectionEnd + 4 <= block->EndA()) {
        streamPosition = static_cast<uint32_t>(sectionEnd);
        block->offsetB = streamPosition;
        if (!RawRead(&block->lengthB, 4)) {
            SetError(ErrorShortRead);
        }
        return;
    }
    // No further section: every later field of the object keeps its value.
    streamPosition = static_cast<uint32_t>(std::min(sectionEnd, block->EndA()));
    block->offsetB = streamPosition - 4;
    block->lengthB = 0;
}

void Archive::EndObject() {
    Block* block = Innermost();
    if (block == nullptr) {
        return;
    }
    if (!block->isEmpty && errorBits == 0) {
        if (IsWriting()) {
            WriteAt(block->offsetA, streamPosition - block->offsetA - 4);
            WriteAt(block->offsetB, streamPosition - block->offsetB - 4);
        } else {
            streamPosition = static_cast<uint32_t>(block->EndA());
        }
    }
    blocks.RemoveAt(0, true);
}

// --- Field transfers ------------------------------------------------------------------------------

bool Archive::CanTransfer(uint32_t count) const {
    const Block* block = Innermost();
    if (errorBits != 0 || block == nullptr || block->isEmpty || window == nullptr) {
        return false;
    }
    if (IsWriting()) {
        return true;
    }
    const uint64_t end = uint64_t{streamPosition} + count;
    return end <= block->EndA() && end <= block->EndB();
}

void Archive::Transfer(void* item, uint32_t count) {
    if (!CanTransfer(count)) {
        return;
    }
    if (IsWriting()) {
        RawWrite(item, count);
    } else if (!RawRead(item, count)) {
        SetError(ErrorShortRead);
    }
}

void Archive::TransferByte(uint8_t& value) {
    Transfer(&value, 1);
}

void Archive::TransferByte(char& value) {
    Transfer(&value, 1);
}

void Archive::TransferDword(uint32_t& value) {
    Transfer(&value, 4);
}

void Archive::TransferDword(int32_t& value) {
    Transfer(&value, 4);
}

void Archive::TransferQword(uint64_t& value) {
    Transfer(&value, 8);
}

void Archive::TransferQword(int64_t& value) {
    Transfer(&value, 8);
}

void Archive::TransferBlock16(void* block) {
    Transfer(block, 16);
}

void Archive::TransferDouble(double& value) {
    if (IsWriting() || !storesFloats) {
        Transfer(&value, 8);
    } else if (CanTransfer(4)) {
        float narrow = 0.0f;
        Transfer(&narrow, 4);
        value = narrow;
    }
    if (IsReading() && std::fabs(value) < 1e-30) {
        value = 0.0;
    }
}

void Archive::TransferText(String& text) {
    if (IsWriting()) {
        uint32_t count = static_cast<uint32_t>(text.Length()) + 1;
        Transfer(&count, 4);
        Transfer(const_cast<char*>(text.CStr()), count);
        return;
    }
    if (!CanTransfer(4)) {
        return;
    }
    text.Assign(static_cast<const char*>(nullptr));
    uint32_t count = 0;
    Transfer(&count, 4);
    const uint64_t bytes = hasWideText ? uint64_t{count} * 2 : count;
    if (count == 0 || bytes > 0xFFFFFFFFu || !CanTransfer(static_cast<uint32_t>(bytes))) {
        return;
    }
    if (!hasWideText) {
        text.Reserve(static_cast<int32_t>(count));
        Transfer(text.Buffer(), count);
        text.Buffer()[count - 1] = '\0';
        text.Resync();
        return;
    }
    auto* units = static_cast<WCHAR*>(MemoryManager::Instance().Allocate(bytes + 2));
    Transfer(units, static_cast<uint32_t>(bytes));
    units[count] = 0;
    const int needed = WideCharToMultiByte(CP_ACP, 0, units, -1, nullptr, 0, nullptr, nullptr);
    if (needed > 1) {
        text.Reserve(needed);
        WideCharToMultiByte(CP_ACP, 0, units, -1, text.Buffer(), needed, nullptr, nullptr);
        text.Resync();
    }
    MemoryManager::Instance().Free(units);
}

void Archive::TransferTextList(PointerArray& texts) {
    int32_t count = texts.Count();
    TransferDword(count);
    if (IsReading()) {
        texts.Clear();
        // A damaged count must not make the loop run long: every text needs at least its count word.
        for (int32_t i = 0; i < count && CanRead(4); ++i) {
            auto* text = new String;
            TransferText(*text);
            texts.Add(text);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        String empty;
        String* text = texts.Get<String>(i);
        TransferText(text ? *text : empty);
    }
}

// --- Errors ---------------------------------------------------------------------------------------

void Archive::SetError(uint32_t bit) {
    errorBits |= bit;
    Report();
}

String Archive::Description() const {
    String description;
    switch (errorBits) {
    case ErrorUnknownClass: {
        const Block* block = Innermost();
        description.Format("%s [%i] %s [%i]", FrameworkText(244),
                           block ? static_cast<int>(block->classId) : 0, FrameworkText(245),
                           static_cast<int>(streamPosition));
        break;
    }
    case ErrorOpenRead:
    case ErrorOpenWrite:
        description.Assign(FrameworkText(240));
        break;
    case ErrorWriteWhileReading:
    case ErrorReadWhileWriting:
        description.Format("%s %lx %s", FrameworkText(errorBits == ErrorWriteWhileReading ? 246 : 248),
                           static_cast<unsigned long>(streamPosition), FrameworkText(247));
        break;
    case ErrorTypeNotAccepted:
        description.Assign(FrameworkText(249));
        break;
    case ErrorLengths:
        description.Assign(FrameworkText(370));
        break;
    case ErrorShortRead:
        description.Assign(FrameworkText(322));
        break;
    case ErrorShortWrite:
        description.Assign(FrameworkText(325));
        break;
    case ErrorEndOfFile:
        description.Assign(FrameworkText(4592));
        break;
    case ErrorWideText:
        description.Assign(FrameworkText(4593));
        break;
    default:
        description.Assign(FrameworkText(250));
        break;
    }
    return description;
}

void Archive::Report() {
    if (ErrorsToReport() == 0) {
        return;
    }
    String text;
    text.Format("%s \"%s\" -\n\n %s %i - %s", FrameworkText(262), name.CStr(), FrameworkText(251),
                static_cast<int>(errorBits), Description().CStr());
    ShowMessage(nullptr, text.CStr(), FrameworkText(252), MB_ICONEXCLAMATION | MB_OK);
}

} // namespace framework
