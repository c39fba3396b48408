// Security descriptors made from SDDL text.
#include "core/win/security_descriptor.h"

#include <sddl.h>

UniqueLocalMemory DescriptorFromSddl(const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        return {};
    }
    return UniqueLocalMemory(descriptor);
}
