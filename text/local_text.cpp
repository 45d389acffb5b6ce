#include "text/local_text.h"

namespace qm {

const LocalText& TextArray::member(int n) const
{
    static const LocalText empty;
    if (n < 1 || n > count()) {
        return empty;
    }
    return m_members[static_cast<std::size_t>(n - 1)];
}

} // namespace qm
