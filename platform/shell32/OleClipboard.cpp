#include "shell32/OleClipboard.h"

#include "com/Guard.h"
#include "com/Initialization.h"
#include "shell32/ClipboardMime.h"
#include "win32/WindowManager.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

namespace {

// The clipboard the calling thread may use, else why not.
HRESULT Clipboard(QClipboard*& clipboard)
{
    clipboard = nullptr;
    if (!qGuiApp || !win32::IsGuiThread())
        return CLIPBRD_E_CANT_OPEN;
    if (!com::IsOleInitializedOnThisThread())
        return CO_E_NOTINITIALIZED;
    clipboard = QGuiApplication::clipboard();
    return clipboard ? S_OK : CLIPBRD_E_CANT_OPEN;
}

// The object of ours the clipboard holds, if it holds one.
IDataObject* CurrentObject(QClipboard& clipboard)
{
    return shell32::DataObjectOfMimeData(clipboard.mimeData());
}

// The object's identity: its IUnknown.
IUnknown* Identity(IUnknown* object)
{
    com::ComPtr<IUnknown> unknown;
    if (!object || FAILED(object->QueryInterface(IID_IUnknown, unknown.ReleaseAndGetVoidAddress())))
        return object;
    return unknown.Get();
}

} // namespace

HRESULT OleSetClipboard(IDataObject* dataObject)
{
    return com::Guard([&] {
        QClipboard* clipboard = nullptr;
        if (const HRESULT hr = Clipboard(clipboard); FAILED(hr))
            return hr;
        if (!dataObject) {
            clipboard->clear();
            return S_OK;
        }
        QMimeData* mime = nullptr;
        if (const HRESULT hr = shell32::MimeDataFromDataObject(dataObject, &mime); FAILED(hr))
            return hr;
        clipboard->setMimeData(mime);
        return S_OK;
    });
}

HRESULT OleGetClipboard(IDataObject** dataObject)
{
    return com::Guard([&] {
        if (!dataObject)
            return E_POINTER;
        *dataObject = nullptr;
        QClipboard* clipboard = nullptr;
        if (const HRESULT hr = Clipboard(clipboard); FAILED(hr))
            return hr;
        return shell32::DataObjectFromMimeData(clipboard->mimeData(), dataObject);
    });
}

HRESULT OleFlushClipboard()
{
    return com::Guard([&] {
        QClipboard* clipboard = nullptr;
        if (const HRESULT hr = Clipboard(clipboard); FAILED(hr))
            return hr;
        if (!CurrentObject(*clipboard))
            return S_OK;
        // Rendered now, the data stays when the object goes.
        const QMimeData* ours = clipboard->mimeData();
        auto rendered = std::make_unique<QMimeData>();
        for (const QString& type : ours->formats())
            rendered->setData(type, ours->data(type));
        clipboard->setMimeData(rendered.release());
        return S_OK;
    });
}

HRESULT OleIsCurrentClipboard(IDataObject* dataObject)
{
    return com::Guard([&] {
        QClipboard* clipboard = nullptr;
        if (const HRESULT hr = Clipboard(clipboard); FAILED(hr))
            return hr;
        if (!dataObject)
            return S_FALSE;
        IDataObject* current = CurrentObject(*clipboard);
        return current && Identity(current) == Identity(dataObject) ? S_OK : S_FALSE;
    });
}
