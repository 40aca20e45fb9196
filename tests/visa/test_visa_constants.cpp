// SPDX-License-Identifier: GPL-3.0-or-later
// Every VISA constant the program uses against the value the VISA standard
// publishes: a wrong one misreads a status or reaches the wrong attribute or
// address space.
#include "visa.h"

#include <gtest/gtest.h>

TEST(VisaConstants, MatchThePublishedValues)
{
#define PUBLISHED(name, value)                                                                               \
    {                                                                                                        \
#name, (uint32_t)(name), value##u                                                                    \
    }
    const struct {
        const char *name;
        uint32_t defined, published;
    } constants[] = {
        PUBLISHED(VI_SUCCESS, 0x00000000),
        PUBLISHED(VI_FIND_BUFLEN, 256),
        PUBLISHED(VI_ATTR_RSRC_SPEC_VERSION, 0x3FFF0170),
        PUBLISHED(VI_ATTR_MANF_ID, 0x3FFF00D9),
        PUBLISHED(VI_ATTR_MODEL_CODE, 0x3FFF00DF),
        PUBLISHED(VI_ATTR_SLOT, 0x3FFF00E8),
        PUBLISHED(VI_PXI_BAR0_SPACE, 11),
        PUBLISHED(VI_WARN_CONFIG_NLOADED, 0x3FFF0077),
        PUBLISHED(VI_WARN_NSUP_ATTR_STATE, 0x3FFF0084),
        PUBLISHED(VI_ERROR_SYSTEM_ERROR, 0xBFFF0000),
        PUBLISHED(VI_ERROR_INV_OBJECT, 0xBFFF000E),
        PUBLISHED(VI_ERROR_RSRC_LOCKED, 0xBFFF000F),
        PUBLISHED(VI_ERROR_INV_EXPR, 0xBFFF0010),
        PUBLISHED(VI_ERROR_RSRC_NFOUND, 0xBFFF0011),
        PUBLISHED(VI_ERROR_INV_RSRC_NAME, 0xBFFF0012),
        PUBLISHED(VI_ERROR_INV_ACC_MODE, 0xBFFF0013),
        PUBLISHED(VI_ERROR_TMO, 0xBFFF0015),
        PUBLISHED(VI_ERROR_CLOSING_FAILED, 0xBFFF0016),
        PUBLISHED(VI_ERROR_NSUP_ATTR, 0xBFFF001D),
        PUBLISHED(VI_ERROR_NSUP_ATTR_STATE, 0xBFFF001E),
        PUBLISHED(VI_ERROR_ATTR_READONLY, 0xBFFF001F),
        PUBLISHED(VI_ERROR_INV_SETUP, 0xBFFF003A),
        PUBLISHED(VI_ERROR_ALLOC, 0xBFFF003C),
        PUBLISHED(VI_ERROR_INV_SPACE, 0xBFFF004E),
        PUBLISHED(VI_ERROR_INV_OFFSET, 0xBFFF0051),
        PUBLISHED(VI_ERROR_NSUP_OFFSET, 0xBFFF0054),
        PUBLISHED(VI_ERROR_NSUP_OPER, 0xBFFF0067),
        PUBLISHED(VI_ERROR_NSUP_WIDTH, 0xBFFF0076),
        PUBLISHED(VI_ERROR_INV_PARAMETER, 0xBFFF0078),
        PUBLISHED(VI_ERROR_LIBRARY_NFOUND, 0xBFFF009E),
    };
#undef PUBLISHED
    for (const auto &c : constants)
        EXPECT_EQ(c.defined, c.published) << c.name;
}
