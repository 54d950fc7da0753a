#include "core/ProgramState.h"

#include "core/Text.h"

QString CriteriaValue::toText() const {
    switch (kind) {
    case Kind::Number:
        return PlainNumber(number);
    case Kind::Text:
        return text;
    case Kind::Empty:
        break;
    }
    return QString();
}
