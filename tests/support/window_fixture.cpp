#include "support/window_fixture.h"

#include "files/file_utils.h"
#include "pdf/converter.h"
#include "platform/program_folder.h"
#include "support/test_env.h"

namespace lectorix::test {

WindowFixture::WindowFixture() : temp(freshScratch())
{
    WriteFileIfMissing(customResource(101), converterPath(), true);
}

} // namespace lectorix::test
