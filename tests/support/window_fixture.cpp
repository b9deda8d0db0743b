#include "support/window_fixture.h"

#include "core/file_utils.h"
#include "core/pdf_converter.h"
#include "core/program_folder.h"
#include "support/test_env.h"

namespace lectorix::test {

WindowFixture::WindowFixture() : temp(freshScratch())
{
    WriteFileIfMissing(customResource(101), converterPath(), true);
}

} // namespace lectorix::test
