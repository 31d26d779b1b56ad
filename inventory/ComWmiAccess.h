#pragma once
// The WMI access through the system's WMI scripting objects.
#include <windows.h>
// The other Windows headers build on windows.h.
#include <oaidl.h>
#include <wbemdisp.h>

#include <functional>
#include <memory>

#include "inventory/PropertyValue.h"
#include "inventory/WmiAccess.h"

namespace brisklow {

// The scripting locator's class: the way into WMI.
inline const CLSID& kWbemLocatorClassId = __uuidof(SWbemLocator);

// Creates a locator object; on success `*locator` holds one reference that the caller owns.
using LocatorFactory = std::function<HRESULT(ISWbemLocator** locator)>;

// The locator factory the program uses: the registered scripting locator, created through COM.
HRESULT CreateSystemLocator(ISWbemLocator** locator);

// Every call is made on the thread that creates the locator, which must have entered a COM
// apartment; the objects handed out must be released on that thread too.
class ComWmiAccess : public WmiAccess {
  public:
    ComWmiAccess();
    explicit ComWmiAccess(LocatorFactory factory);

    std::unique_ptr<WmiLocator> CreateLocator() override;

  private:
    LocatorFactory factory_;
};

// A property value as the scan reads it, from the VARIANT the scripting interface hands over.
PropertyValue PropertyValueFromVariant(const VARIANT& value);

}  // namespace brisklow
