#include "Platform/Foundation/Uuid.h"

#include <QUuid>

namespace Foundation {

std::string uuidString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
}

} // namespace Foundation
