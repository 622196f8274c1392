#include "OleDrag.h"

#include "BenchFolder.h"

#include <ole2.h>
#include <shlobj.h>

#include <cstring>

namespace {
// Lives on the stack of one drag: no reference counting is needed.
class Source : public IDropSource {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDropSource ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        return escape ? DRAGDROP_S_CANCEL : (keys & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// The files, as Explorer offers them: a DROPFILES block of wide, NUL-ended paths.
class Files : public IDataObject {
  public:
    explicit Files(const std::vector<std::wstring>& paths) {
        for (const std::wstring& path : paths) {
            list_ += path + L'\0';
        }
        list_ += L'\0';
    }
    bool asked = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = iid == IID_IUnknown || iid == IID_IDataObject ? this : nullptr;
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        asked = true;
        if (QueryGetData(format) != S_OK) {
            return DV_E_FORMATETC;
        }
        const size_t bytes = list_.size() * sizeof(wchar_t);
        HGLOBAL block = ::GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
        if (drop == nullptr) {
            return E_OUTOFMEMORY;
        }
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, list_.data(), bytes);
        ::GlobalUnlock(block);
        *medium = {};
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        asked = true;
        return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) != 0 ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
        static FORMATETC offered = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        return direction == DATADIR_GET ? ::SHCreateStdEnumFmtEtc(1, &offered, formats) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

  private:
    std::wstring list_;
};

void Mouse(DWORD flags, POINT at) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ::MulDiv(at.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = ::MulDiv(at.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    ::SendInput(1, &input, sizeof(input));
}

struct Path {
    POINT from, to;
    double releasedAt = 0;
};

// The hand of the user while DoDragDrop runs its loop: over to the target in
// steps, a rest there, and the button up.
DWORD WINAPI Move(void* context) {
    Path& path = *static_cast<Path*>(context);
    constexpr int kSteps = 10;
    for (int step = 1; step <= kSteps; ++step) {
        ::Sleep(20);
        Mouse(0, {path.from.x + (path.to.x - path.from.x) * step / kSteps,
                  path.from.y + (path.to.y - path.from.y) * step / kSteps});
    }
    ::Sleep(100);
    path.releasedAt = Now();
    Mouse(MOUSEEVENTF_LEFTUP, path.to);
    return 0;
}
} // namespace

OleDragEnd OleDrag(const std::vector<std::wstring>& files, POINT from, POINT to) {
    OleDragEnd end;
    if (FAILED(::OleInitialize(nullptr))) {
        return end;
    }
    Files data(files);
    Source source;
    Path path{from, to};
    Mouse(0, from);
    Mouse(MOUSEEVENTF_LEFTDOWN, from);
    if (HANDLE hand = ::CreateThread(nullptr, 0, &Move, &path, 0, nullptr)) {
        end.result = ::DoDragDrop(&data, &source, DROPEFFECT_COPY, &end.effect);
        ::WaitForSingleObject(hand, INFINITE);
        ::CloseHandle(hand);
    } else {
        Mouse(MOUSEEVENTF_LEFTUP, from);
    }
    end.releasedAt = path.releasedAt;
    end.asked = data.asked;
    ::OleUninitialize();
    return end;
}
