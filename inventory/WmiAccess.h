#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "inventory/PropertyValue.h"

namespace brisklow {

// The scan's view of the WMI scripting objects, one class per scripting interface and one method
// per call the scan makes. Every method raises WmiError when its call fails; objects are released
// when their owner goes. Texts are 8-bit, in the system's ANSI code page.

class WmiPropertySet {
  public:
    virtual ~WmiPropertySet() = default;
    // Item(name, flags).Value.
    virtual PropertyValue Item(const std::string& name, int32_t flags) = 0;
};

class WmiObjectSet;

class WmiObject {
  public:
    virtual ~WmiObject() = default;
    virtual std::unique_ptr<WmiObjectSet> Instances(int32_t flags) = 0;
    virtual std::unique_ptr<WmiPropertySet> Properties() = 0;
};

// One item handed out by the enumerator, before it is asked for its object interface.
class WmiEnumItem {
  public:
    virtual ~WmiEnumItem() = default;
    // Queries the item for its object; raises "Interface not supported" when it has none.
    virtual std::unique_ptr<WmiObject> QueryObject() = 0;
};

class WmiEnumerator {
  public:
    virtual ~WmiEnumerator() = default;
    // Next(1): the item, or none at the end of the list (success without an item); raises when
    // the step fails. The scan ends its list quietly on either.
    virtual std::unique_ptr<WmiEnumItem> Next() = 0;
};

class WmiObjectSet {
  public:
    virtual ~WmiObjectSet() = default;
    // _NewEnum, queried for the enumerator interface.
    virtual std::unique_ptr<WmiEnumerator> NewEnum() = 0;
};

class WmiPrivilegeSet {
  public:
    virtual ~WmiPrivilegeSet() = default;
    // Adds the privilege; the privilege object the call returns is dropped.
    virtual void Add(int32_t privilege, bool enabled) = 0;
};

class WmiSecurity {
  public:
    virtual ~WmiSecurity() = default;
    virtual void SetImpersonationLevel(int32_t level) = 0;
    virtual std::unique_ptr<WmiPrivilegeSet> Privileges() = 0;
};

class WmiServices {
  public:
    virtual ~WmiServices() = default;
    virtual std::unique_ptr<WmiSecurity> Security() = 0;
    virtual std::unique_ptr<WmiObject> Get(const std::string& objectPath, int32_t flags) = 0;
};

class WmiLocator {
  public:
    virtual ~WmiLocator() = default;
    // May succeed without a services object; then it returns none.
    virtual std::unique_ptr<WmiServices> ConnectServer(
        const std::string& server, const std::string& nameSpace, const std::string& user,
        const std::string& password, const std::string& locale, const std::string& authority,
        int32_t securityFlags) = 0;
};

// Creates the locator object; the way into WMI.
class WmiAccess {
  public:
    virtual ~WmiAccess() = default;
    virtual std::unique_ptr<WmiLocator> CreateLocator() = 0;
};

}  // namespace brisklow
