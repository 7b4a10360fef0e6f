// The WMI layer on Windows: COM on the GUI thread, one connection to ROOT\CIMV2 per detector,
// and WQL run as forward-only queries. Every COM pointer is held by ComPtr, so each one is
// released on every path out, failures included.
#include "detect/scsidrivedetector.h"

#include "detect/constants.h"
#include "detect/log.h"

#include <wbemidl.h>
#include <windows.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

// A BSTR for the lifetime of one call.
class Bstr
{
public:
    explicit Bstr(const QString &text)
        : value(SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size())))
    { }
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    operator BSTR() const { return value; }

private:
    BSTR value;
};

// A VARIANT that clears what it holds (a BSTR, say) when it goes.
struct Variant : VARIANT
{
    Variant() { VariantInit(this); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
};

QString withCode(const QString &message, HRESULT error)
{
    return message.arg(QString::number(quint32(error), 16)) + Discshelf::supportAddress;
}

// Numbers come as whatever integer type the class declares (Access is a uint16); both sides of
// the comparison read them as the unsigned 16-bit value. NULL reads as nothing.
QString text(VARIANT &value, bool numeric)
{
    if (value.vt == VT_NULL || value.vt == VT_EMPTY)
        return numeric ? QStringLiteral("0") : QString();
    if (numeric) {
        if (FAILED(VariantChangeType(&value, &value, 0, VT_UI4)))
            return QStringLiteral("0");
        return QString::number(value.ulVal & 0xFFFF);
    }
    if (value.vt != VT_BSTR && FAILED(VariantChangeType(&value, &value, 0, VT_BSTR)))
        return QString();
    return QString::fromWCharArray(value.bstrVal, int(SysStringLen(value.bstrVal)));
}

} // namespace

void ScsiDriveDetector::connectWmi()
{
    // Once for the program, on the thread that makes the first detector: the GUI thread. Qt's
    // windows platform has usually made it an apartment already, which is just as good.
    static const HRESULT com = [] {
        const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        // Too late when something in the process chose its security first; the proxy blanket
        // below is what the queries rely on.
        CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                             RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
        return result == RPC_E_CHANGED_MODE ? S_OK : result;
    }();
    if (FAILED(com))
        fatal(withCode(tr("Failed to create IWbemLocator object. Error code 0x%1\nIf this problem "
                          "persists, please contact "),
                       com));

    ComPtr<IWbemLocator> newLocator;
    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IWbemLocator, reinterpret_cast<void **>(newLocator.GetAddressOf()));
    if (FAILED(result))
        fatal(withCode(tr("Failed to create IWbemLocator object. Error code 0x%1\nIf this problem "
                          "persists, please contact "),
                       result));

    ComPtr<IWbemServices> newServices;
    result = newLocator->ConnectServer(Bstr(QStringLiteral("ROOT\\CIMV2")), nullptr, nullptr,
                                       nullptr, 0, nullptr, nullptr, newServices.GetAddressOf());
    if (SUCCEEDED(result))
        result = CoSetProxyBlanket(newServices.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                   RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                   EOAC_NONE);
    if (FAILED(result))
        fatal(withCode(tr("Couldn't connect to local wbem thingy. Error code 0x%1\nIf this problem "
                          "persists, please contact "),
                       result));
    locator = newLocator.Detach();
    services = newServices.Detach();
}

void ScsiDriveDetector::releaseWmi()
{
    if (services)
        services->Release();
    services = nullptr;
    if (locator)
        locator->Release();
    locator = nullptr;
}

QStringList ScsiDriveDetector::queryProperty(const QString &wql, const QString &property,
                                             bool *failed, bool numeric) const
{
    const auto fail = [&](HRESULT result) {
        qCDebug(lcDetect) << "Query" << wql << "failed, error" << Qt::hex << quint32(result);
        *failed = true;
        return QStringList();
    };
    ComPtr<IEnumWbemClassObject> rows;
    HRESULT result = services->ExecQuery(Bstr(QStringLiteral("WQL")), Bstr(wql),
                                         WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
                                         nullptr, rows.GetAddressOf());
    if (FAILED(result))
        return fail(result);
    const Bstr name(property);
    QStringList values;
    for (;;) {
        ComPtr<IWbemClassObject> row;
        ULONG returned = 0;
        // Returning at once, the query reports its own errors here.
        result = rows->Next(LONG(WBEM_INFINITE), 1, row.GetAddressOf(), &returned);
        if (FAILED(result))
            return fail(result);
        if (returned == 0)
            break;
        Variant value;
        result = row->Get(name, 0, &value, nullptr, nullptr);
        if (FAILED(result))
            return fail(result);
        values << text(value, numeric);
    }
    return values;
}
