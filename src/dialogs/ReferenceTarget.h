#pragma once

#include <QString>

namespace vedaris {

// What a selection dialog writes into the dialog that opened it: the receipt,
// edit or issue dialog implements the parts it has fields for.
class ReferenceTarget
{
public:
    virtual ~ReferenceTarget() = default;
    virtual void setDrug(const QString &name, const QString &unit) { Q_UNUSED(name) Q_UNUSED(unit) }
    virtual void setSupplier(const QString &name) { Q_UNUSED(name) }
    virtual void setManufacturer(const QString &name) { Q_UNUSED(name) }
    virtual void setDepartment(const QString &name) { Q_UNUSED(name) }
};

} // namespace vedaris
