#include "sim/sim_target.h"

#include "link/enip/byte_writer.h"

namespace krn::sim {

using namespace krn::enip;

CipOutcome IdentityRequest(const IdentityInfo& identity, uint8_t service, const LogicalPath& path) {
  if (path.instance.value_or(0) != 1) return CipOutcome::Error(kCipPathDestinationUnknown);
  if (service == kSvcGetAttributesAll) {
    if (path.attribute) return CipOutcome::Error(kCipPathDestinationUnknown);
    return CipOutcome::Ok(EncodeIdentityAttributes(identity));
  }
  if (service != kSvcGetAttributeSingle) return CipOutcome::Error(kCipServiceNotSupported);
  if (!path.attribute) return CipOutcome::Error(kCipPathDestinationUnknown);
  ByteWriter w;
  switch (*path.attribute) {
    case 1: w.U16(identity.vendorId); break;
    case 2: w.U16(identity.deviceType); break;
    case 3: w.U16(identity.productCode); break;
    case 4:
      w.U8(identity.revisionMajor);
      w.U8(identity.revisionMinor);
      break;
    case 5: w.U16(identity.status); break;
    case 6: w.U32(identity.serialNumber); break;
    case 7: {
      auto all = EncodeIdentityAttributes(identity);
      w.Bytes(std::span<const uint8_t>(all).subspan(14));
      break;
    }
    default: return CipOutcome::Error(kCipAttributeNotSupported);
  }
  return CipOutcome::Ok(w.Take());
}

bool DecodeTargetPath(std::span<const uint8_t> bytes, LogicalPath& path, CipOutcome& error) {
  LogicalPathResult result = DecodeLogicalPath(bytes);
  if (!result.path) {
    error = CipOutcome::Error(kCipPathSegmentError, {static_cast<uint16_t>(result.errorOffset)});
    return false;
  }
  path = *result.path;
  return true;
}

}  // namespace krn::sim
