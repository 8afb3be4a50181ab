// Unit tests use the network stack linked into them, not the module of the program folder (which is not beside a
// test). Compiled into every test executable, so it is in place before a test's first network use.
#include "platform/Net.h"
#include "platform/net/QtNetFactory.h"

namespace {

struct UseLinkedNetStack
{
    UseLinkedNetStack()
    {
        // Kept to the end of the program: connections may outlive any owner a test could give it.
        NetModule::use(new QtNetFactory);
    }
} useLinkedNetStack;

} // namespace
