#pragma once

#include "framework/File.h"
#include "framework/PointerArray.h"
#include "framework/String.h"
#include "framework/ValueList.h"

#include <cstdint>

namespace framework {

class SerialisableObject;

// The framework's binary object stream. A file holds an optional type identifier, two marks that
// announce the current layout, and objects one after another. Each object is a block: its class
// identifier, length A (bytes to the end of the block), length B (bytes to the end of its current
// section) and its fields as its Serialise transfers them; further sections start with their own
// length word. Readers accept the older layouts without the marks (one length word, doubles as
// 4-byte floats), and skip whatever part of a block they do not know, so older and newer readers
// can share files.
//
// Failures set error bits, stop all further transfers, and are reported once in a message box
// unless the options mask them. The caller checks ErrorBits() after its transfers.
class Archive : public File {
public:
    enum Direction { DirectionWrite = 1, DirectionRead = 2 };
    enum ErrorBit : uint32_t {
        ErrorUnknownClass = 1,
        ErrorOpenRead = 2,
        ErrorOpenWrite = 4,
        ErrorWriteWhileReading = 8,
        ErrorReadWhileWriting = 16,
        ErrorTypeNotAccepted = 32,
        ErrorLengths = 64,
        ErrorShortRead = 128,
        ErrorShortWrite = 256,
        ErrorEndOfFile = 512,
        ErrorWideText = 1024,
    };
    static constexpr uint32_t LengthsMark = 17099701;
    static constexpr uint32_t DoublesMark = 2410100;
    static constexpr uint32_t WideTextMark = 19020200;
    static constexpr uint32_t OptionAcceptWideText = 0x400;
    static constexpr uint32_t WindowSize = 0x10000;

    // acceptedIds: further type identifiers accepted when reading, ended by a negative value.
    Archive(const String& path, Direction direction, uint32_t typeId = 0, uint32_t options = 0,
            const int32_t* acceptedIds = nullptr);
    ~Archive() override;

    bool IsWriting() const { return direction == DirectionWrite; }
    bool IsReading() const { return direction == DirectionRead; }
    const String& Name() const { return name; }
    uint32_t ErrorBits() const { return errorBits; }
    uint32_t ErrorsToReport() const { return errorBits & ~options; }
    uint32_t TypeId() const { return typeId; }
    bool HasLengths() const { return hasLengths; }
    bool StoresFloats() const { return storesFloats; }
    bool HasWideText() const { return hasWideText; }
    // 1 for the first layout (no lengths mark), 2 for the current one.
    int FormatVersion() const { return hasLengths ? 2 : 1; }
    uint32_t StreamPosition() const { return streamPosition; }
    // True while a reading archive can still take an item of count bytes from the innermost block.
    bool CanRead(uint32_t count) const { return IsReading() && CanTransfer(count); }

    void TransferByte(uint8_t& value);
    void TransferByte(char& value);
    void TransferDword(uint32_t& value);
    void TransferDword(int32_t& value);
    void TransferQword(uint64_t& value);
    void TransferQword(int64_t& value);
    void TransferBlock16(void* block);
    void TransferDouble(double& value);
    void TransferText(String& text);
    // A count and that many texts of an owning array of String; an empty slot is stored as an empty
    // text. Reading replaces the array's contents and stops where the block runs out.
    void TransferTextList(PointerArray& texts);
    void TransferObject(SerialisableObject& object);
    SerialisableObject* ReadNewObject();
    void NextSection();
    void EndObject();
    void Close();

private:
    struct Block;

    void ReadHeader();
    void WriteHeader();
    bool ReadHeaderWord(uint32_t mark);
    void BeginObjectWrite(SerialisableObject& object);
    bool BeginObjectRead(bool create, SerialisableObject** created);
    Block* PushBlock();
    Block* Innermost() const;
    bool CanTransfer(uint32_t count) const;
    void Transfer(void* item, uint32_t count);

    bool RawRead(void* item, uint32_t count);
    bool RawWrite(const void* item, uint32_t count);
    bool WriteAt(uint32_t offset, uint32_t value);
    bool LoadWindow(uint32_t offset);
    bool FlushWindow();
    void SetError(uint32_t bit);
    void Report();
    String Description() const;

    String name;
    PointerArray blocks;
    bool hasLengths = false;
    bool storesFloats = true;
    bool hasWideText = false;
    Direction direction;
    uint8_t* window = nullptr;
    uint32_t windowOffset = 0;
    uint32_t windowFill = 0;
    uint32_t streamPosition = 0;
    uint32_t errorBits = 0;
    uint32_t options;
    uint32_t typeId;
    ValueList acceptedIds;
};

} // namespace framework
