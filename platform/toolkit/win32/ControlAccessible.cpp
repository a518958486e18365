#include "platform/toolkit/win32/ControlAccessible.h"

#include <oleacc.h>

#include <memory>

#include "platform/toolkit/win32/NativeControl.h"
#include "platform/win32/Utf8.h"

namespace tv::toolkit::win32 {

namespace {

enum class Role { Button, Link, Text, Decoration };

bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

HRESULT text(const std::wstring& value, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (value.empty()) return S_FALSE;
    *out = SysAllocString(value.c_str());
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Releases a COM pointer it holds when it goes.
template <class T>
struct ComRef {
    T* p = nullptr;
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p) p->Release();
    }
};

// Stands in front of the system's proxy of the window: what the proxy knows (place,
// parent, hit test, navigation) comes from it; name, role, state and action from the model.
// The model is looked up again at every call: a screen reader may keep the object longer
// than the window lives.
class ControlAccessible final : public IAccessible, public IOleWindow {
public:
    ControlAccessible(HWND window, Role role) : window_(window), role_(role) {}

    bool attach() {
        return SUCCEEDED(CreateStdAccessibleObject(window_, OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&proxy_.p)));
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == IID_IOleWindow) {
            *out = static_cast<IOleWindow*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) std::unique_ptr<ControlAccessible> last(this); // the last reference owns it
        return static_cast<ULONG>(left);
    }

    // IDispatch: screen readers call the interface directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = window_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IAccessible: what the model says
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!isSelf(child)) return E_INVALIDARG;
        const Control* c = control();
        if (!c) return RPC_E_DISCONNECTED;
        return text(role_ == Role::Decoration ? std::wstring() : tv::win32::widen(c->accessibleName()), name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!isSelf(child)) return E_INVALIDARG;
        if (!role) return E_POINTER;
        VariantInit(role);
        role->vt = VT_I4;
        switch (role_) {
        case Role::Button: role->lVal = ROLE_SYSTEM_PUSHBUTTON; break;
        case Role::Link: role->lVal = ROLE_SYSTEM_LINK; break;
        case Role::Text: role->lVal = ROLE_SYSTEM_STATICTEXT; break;
        case Role::Decoration: role->lVal = ROLE_SYSTEM_GRAPHIC; break;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!isSelf(child)) return E_INVALIDARG;
        if (!state) return E_POINTER;
        const HRESULT hr = proxy_.p->get_accState(child, state);
        if (FAILED(hr)) return hr;
        if (state->vt != VT_I4) {
            VariantClear(state);
            state->vt = VT_I4;
            state->lVal = 0;
        }
        if (role_ == Role::Decoration) {
            state->lVal |= STATE_SYSTEM_INVISIBLE;
        } else if (role_ == Role::Text) {
            state->lVal |= STATE_SYSTEM_READONLY;
        } else {
            state->lVal |= STATE_SYSTEM_FOCUSABLE;
            if (role_ == Role::Link) state->lVal |= STATE_SYSTEM_LINKED;
            if (GetFocus() == window_) state->lVal |= STATE_SYSTEM_FOCUSED;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!isSelf(child)) return E_INVALIDARG;
        if (role_ == Role::Decoration || role_ == Role::Text) return text(L"", action);
        return text(role_ == Role::Link ? L"Ouvrir le lien" : L"Appuyer", action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!isSelf(child)) return E_INVALIDARG;
        if (role_ == Role::Decoration || role_ == Role::Text) return DISP_E_MEMBERNOTFOUND;
        // The caller waits for this answer: the click runs after it, from the message queue.
        return PostMessageW(window_, kAccessibleClickMessage, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        if (!isSelf(child)) return E_INVALIDARG;
        return text(L"", shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        if (GetFocus() == window_) {
            focus->vt = VT_I4;
            focus->lVal = CHILDID_SELF;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // IAccessible: what the system's proxy knows
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return proxy_.p->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return proxy_.p->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return proxy_.p->get_accDescription(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return proxy_.p->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return proxy_.p->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return proxy_.p->get_accSelection(selection);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return proxy_.p->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return proxy_.p->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return proxy_.p->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return proxy_.p->accHitTest(x, y, child);
    }

private:
    const Control* control() const {
        const NativeControl* peer = NativeControl::from(window_);
        return peer ? &peer->control() : nullptr;
    }

    LONG references_ = 1;
    HWND window_;
    Role role_;
    ComRef<IAccessible> proxy_;
};

} // namespace

LRESULT accessibleObjectFor(NativeControl& peer, WPARAM wParam) {
    const Control& c = peer.control();
    Role role = Role::Decoration;
    if (c.actsAsButton()) role = c.kind() == ControlKind::Label ? Role::Link : Role::Button;
    else if (c.kind() == ControlKind::Label) role = Role::Text; // the status and the counts
    else if (c.kind() != ControlKind::Image) return 0;
    auto object = std::make_unique<ControlAccessible>(peer.hwnd(), role);
    if (!object->attach()) return 0;
    // From here COM's reference count owns it; the marshalled answer holds its own reference.
    ControlAccessible* shared = object.release();
    const LRESULT answer = LresultFromObject(IID_IAccessible, wParam, static_cast<IAccessible*>(shared));
    shared->Release();
    return answer < 0 ? 0 : answer;
}

} // namespace tv::toolkit::win32
