#include "framework/services/FrameworkClasses.h"

#include "framework/ClassRegistry.h"
#include "framework/StoredValues.h"
#include "framework/services/Dictionary.h"
#include "framework/services/TextEntry.h"
#include "framework/services/TextGroup.h"

namespace framework {

namespace {

template <class T> SerialisableObject* Make() {
    return new T;
}

// The dictionary is a process-wide object; reading one from an archive gives a fresh, separate
// dictionary that the caller owns.
SerialisableObject* MakeDictionary() {
    return new Dictionary;
}

} // namespace

void RegisterFrameworkClasses() {
    ClassRegistry::RegisterClass(Make<StoredText>, StoredText::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<TextEntry>, TextEntry::ClassIdentifier);
    ClassRegistry::RegisterClass(MakeDictionary, Dictionary::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<TextGroup>, TextGroup::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<StoredRect>, StoredRect::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<StoredColour>, StoredColour::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<StoredTextList>, StoredTextList::ClassIdentifier);
    ClassRegistry::RegisterClass(Make<StoredValueList>, StoredValueList::ClassIdentifier);
}

} // namespace framework
