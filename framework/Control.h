#pragma once

#include "framework/Colour.h"
#include "framework/String.h"
#include "framework/Window.h"

#include <cstdint>

namespace framework {

// What a control exchanges its content with: an integer or a text variable of the dialog's owner,
// or nothing. A numeric binding may carry limits; both 0 means none.
class Binding {
public:
    enum class Type { None, Integer, Text };

    Binding() = default;
    explicit Binding(int32_t* variable, double lower = 0, double upper = 0)
        : type(variable ? Type::Integer : Type::None), integer(variable), lower(lower), upper(upper) {}
    explicit Binding(String* variable) : type(variable ? Type::Text : Type::None), text(variable) {}

    Type GetType() const { return type; }
    int32_t* Integer() const { return integer; }
    String* Text() const { return text; }
    bool HasLimits() const { return lower != 0 || upper != 0; }
    double Lower() const { return lower; }
    double Upper() const { return upper; }
    // Both limits inclusive, compared as real numbers, so 999.5 is above a limit of 999.
    bool Accepts(double value) const { return !HasLimits() || (lower <= value && value <= upper); }

private:
    Type type = Type::None;
    int32_t* integer = nullptr;
    String* text = nullptr;
    double lower = 0;
    double upper = 0;
};

// A control object: bound to one item of its dialog by control id, it adopts the item's window
// (routing its messages through the subclass procedure) as soon as the dialog window exists, and
// again each time the dialog is run, since a dialog object can open its window more than once.
// Derived classes load the window from the bound variable when they adopt it (Load), say whether
// its content can be stored (IsValid) and store it (Store); a validating dialog calls the last two
// before it accepts its input.
//
// The control watches two notification codes on its parent (gained and lost focus) through the
// parent's command handlers and turns them into OnFocusGained and OnFocusLost.
//
// The parent owns the object: deleting the dialog object deletes its controls. Window thread only.
class Control : public Window {
public:
    static constexpr int NoNotification = -1;

    Control(Window* dialog, int32_t id, const Binding& binding = Binding(), int gainedCode = NoNotification,
            int lostCode = NoNotification);
    ~Control() override;

    int32_t Id() const { return id; }
    const Binding& GetBinding() const { return binding; }
    uint32_t Flags() const { return flags; }
    void SetFlags(uint32_t bits) { flags = bits; }

    // Copies the bound variable into the window.
    virtual void Load() {}
    // True when the window's content can be stored; a control without a variable always can.
    virtual bool IsValid() { return true; }
    // Copies the window's content into the bound variable.
    virtual void Store() {}

    Colour TextColour() const { return textColour; }
    void SetTextColour(Colour colour);
    Brush* OnCtlColor(MessageRecord& record) override;

protected:
    // The focus handlers of derived classes; 0 lets the parent handle the notification as well.
    virtual LRESULT OnFocusGained(MessageRecord& record) { return 0; }
    virtual LRESULT OnFocusLost(MessageRecord& record) { return 0; }
    // Called after the item's window was adopted; derived classes set it up and load it here.
    virtual void OnAdopted() { Load(); }
    // The class-name text the control goes by (ClassName), kept when the item is adopted.
    void SetControlClassName(const char* name);
    // Adopts the item when the dialog window already exists. Each constructor of the chain calls
    // it last, so that the most derived class sets up the window once its own state is in place.
    void AdoptIfReady();

private:
    LRESULT HandleInitDialog(MessageRecord& record);
    LRESULT HandleFocusGained(MessageRecord& record);
    LRESULT HandleFocusLost(MessageRecord& record);
    void Adopt(HWND item);
    void WatchParent(bool watch);

    Binding binding;
    int gainedCode;
    int lostCode;
    int32_t id;
    Colour textColour;
    uint32_t flags = 0;
    String controlClassName;
};

// The class-name text of edit boxes, which always take part in validation.
constexpr char EditBoxClassName[] = "EDITBOX";

} // namespace framework
