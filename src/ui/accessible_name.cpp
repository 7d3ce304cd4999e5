#include "ui/accessible_name.h"

#include "platform/failure.h"

#include <commctrl.h>
#include <oleacc.h>

#include <iterator>
#include <memory>
#include <new>
#include <vector>

namespace orbelune {

namespace {

struct AccessibleText {
    std::wstring name;
    std::function<std::wstring()> value;
    std::wstring description;
};

// A named control: its window, the procedure it had before it was named,
// and its text.
struct NamedControl {
    HWND hwnd;
    WNDPROC previous;
    AccessibleText text;
};

// The named controls of the process, a few dozen at most. Every message to
// a named control (each item added to a named list among them) looks its
// control up here: a walk over a short table in the process costs nothing
// beside the platform's own subclassing, which asks the window server for a
// window property twice per message (under Wine twenty times the cost of
// adding an item to a list box).
std::vector<std::unique_ptr<NamedControl>>& NamedControls() {
    static std::vector<std::unique_ptr<NamedControl>> controls;
    return controls;
}

// cppcheck-suppress constParameter ; HWND is a handle, not data of ours to make const
NamedControl* Named(HWND hwnd) {
    for (const auto& control : NamedControls())
        if (control->hwnd == hwnd) return control.get();
    return nullptr;
}

// The text given to a control; nullptr once the window is gone (a screen
// reader may keep its object longer than the window lives).
const AccessibleText* TextOf(HWND hwnd) {
    const NamedControl* named = Named(hwnd);
    return named ? &named->text : nullptr;
}

// A text as the answer to a screen reader's question; no text for an empty
// one. No exception leaves for the caller.
template <typename Text>
HRESULT Answer(Text&& text, BSTR* out) noexcept {
    *out = nullptr;
    try {
        const std::wstring answer = text();
        if (answer.empty()) return S_FALSE;
        *out = ::SysAllocStringLen(answer.data(), static_cast<UINT>(answer.size()));
    } catch (...) {
    }
    return *out ? S_OK : E_OUTOFMEMORY;
}

bool IsListView(HWND hwnd) {
    wchar_t cls[32] = {};
    ::GetClassNameW(hwnd, cls, 32);
    return lstrcmpiW(cls, WC_LISTVIEWW) == 0;
}

// The platform's object for a control, reading the control's given name and
// value, and a list view's items by their captions (Wine has no list view
// object of its own). All else is the platform object's answer. Like every
// COM object it is destroyed by its own Release, never through the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// NOLINTBEGIN(cppcoreguidelines-pro-type-union-access): VARIANT is the platform's own tagged union
class NamedAccessible final : public IAccessible {
public:
    // Takes over the reference to `standard`.
    NamedAccessible(HWND hwnd, IAccessible* standard) noexcept : hwnd_(hwnd), standard_(standard) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window (IOleWindow) and the enumeration of the children are
        // the platform object's.
        return standard_->QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const auto left = static_cast<ULONG>(::InterlockedDecrement(&references_));
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* wrongArgument) override {
        return standard_->Invoke(id, iid, locale, flags, parameters, result, exception, wrongArgument);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        if (const AccessibleText* text = TextOf(hwnd_); text && IsSelf(child))
            return Answer([text] { return text->name; }, name);
        if (const int item = ItemOf(child); item >= 0) return Answer([this, item] { return ItemCaption(item); }, name);
        return standard_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        if (const AccessibleText* text = TextOf(hwnd_); text && text->value && IsSelf(child))
            return Answer(text->value, value);
        return standard_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        if (!count) return E_POINTER;
        if (!IsListView(hwnd_)) return standard_->get_accChildCount(count);
        *count = static_cast<LONG>(::SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        if (ItemOf(child) < 0) return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_LISTITEM;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        const int item = ItemOf(child);
        if (item < 0) return standard_->get_accState(child, state);
        const auto flags = ::SendMessageW(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED | LVIS_FOCUSED);
        state->vt = VT_I4;
        state->lVal = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
        if (flags & LVIS_SELECTED) state->lVal |= STATE_SYSTEM_SELECTED;
        if ((flags & LVIS_FOCUSED) && ::GetFocus() == hwnd_) state->lVal |= STATE_SYSTEM_FOCUSED;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return standard_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!description) return E_POINTER;
        if (const AccessibleText* text = TextOf(hwnd_); text && !text->description.empty() && IsSelf(child))
            return Answer([text] { return text->description; }, description);
        return standard_->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_->get_accKeyboardShortcut(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_->put_accValue(child, value);
    }

private:
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

    // The list view item a child identifier stands for (1 is the first
    // item); -1 for the control itself or anything else.
    int ItemOf(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal < 1 || !::IsWindow(hwnd_) || !IsListView(hwnd_)) return -1;
        const auto count = ::SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0);
        return child.lVal <= count ? static_cast<int>(child.lVal - 1) : -1;
    }

    std::wstring ItemCaption(int item) const {
        wchar_t text[260] = {};
        LVITEMW query{};
        query.iSubItem = 0;
        query.pszText = text;
        query.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageW(hwnd_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&query));
        return text;
    }

    LONG references_ = 1;
    HWND hwnd_;
    IAccessible* standard_;

protected:
    // Only its own Release destroys it.
    ~NamedAccessible() { standard_->Release(); }
};
// NOLINTEND(cppcoreguidelines-pro-type-union-access)
#pragma GCC diagnostic pop

// The answer to WM_GETOBJECT for the client area; 0 (the platform answers)
// when no object can be made.
LRESULT AccessibleObjectOf(HWND hwnd, WPARAM wParam) noexcept {
    try {
        IAccessible* standard = nullptr;
        if (FAILED(::CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&standard))) ||
            !standard)
            return 0;
        auto* named = new (std::nothrow) NamedAccessible(hwnd, standard);
        if (!named) {
            standard->Release();
            return 0;
        }
        const LRESULT result = ::LresultFromObject(__uuidof(IAccessible), wParam, named);
        named->Release();  // the result holds its own reference
        return result > 0 ? result : 0;
    } catch (...) {  // oleacc could not be loaded, or no memory was left
    }
    return 0;
}

LRESULT CALLBACK AnswerAccessibility(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const NamedControl* named = Named(hwnd);
    if (!named) return ::DefWindowProcW(hwnd, message, wParam, lParam);  // never: named before its first message here
    const WNDPROC previous = named->previous;
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (const LRESULT answer = AccessibleObjectOf(hwnd, wParam)) return answer;
    } else if (message == WM_NCDESTROY) {
        // The window's last message: its text goes, its procedure stays.
        std::erase_if(NamedControls(), [hwnd](const auto& control) { return control->hwnd == hwnd; });
    }
    return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

}  // namespace

void SetAccessibleName(HWND control, std::wstring name, std::function<std::wstring()> value, std::wstring description) {
    AccessibleText text{std::move(name), std::move(value), std::move(description)};
    if (NamedControl* named = Named(control)) {  // named again
        named->text = std::move(text);
        return;
    }
    if (!::IsWindow(control)) return;
    // In the table before its first message reaches the new procedure.
    NamedControl& named = *NamedControls().emplace_back(
        std::make_unique<NamedControl>(NamedControl{control, nullptr, std::move(text)}));
    named.previous = reinterpret_cast<WNDPROC>(  // NOLINT(performance-no-int-to-ptr): the procedure the platform gives
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswerAccessibility)));
    if (!named.previous) NamedControls().pop_back();  // not subclassed: the platform names the control
}

std::wstring NameFromLabel(std::wstring label) {
    while (!label.empty() && (label.back() == L'：' || label.back() == L':' || label.back() == L'　' ||
                              label.back() == L' '))
        label.pop_back();
    return label;
}

}  // namespace orbelune
