#include "colour/cms_hook.h"

namespace kromel {

TCMSDoTransformProc CMSDoTransformProc = nullptr;

}  // namespace kromel
