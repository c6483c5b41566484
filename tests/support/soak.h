#pragma once

#include <QtGlobal>

namespace bc::test {

// True in the soak run (BRINDLECOT_SOAK=1; `ctest -L soak`): the tests that
// repeat hostile rounds or sum many rows then go on several times longer
// than in the ordinary suite.
inline bool soakRun()
{
    return qEnvironmentVariableIntValue("BRINDLECOT_SOAK") == 1;
}

} // namespace bc::test
