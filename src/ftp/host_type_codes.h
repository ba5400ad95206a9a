// The host type codes (6000 automatic detection, 6001-6040 the server families), each named
// after the family it stands for.
#pragma once

namespace ftp {

constexpr int kHostAutomatic = 6000;
constexpr int kHostFirst = 6000;
constexpr int kHostLast = 6040;
constexpr int kHostKa9q = 6005;
constexpr int kHostUnix = 6010;
constexpr int kHostVmsUcx = 6012;
constexpr int kHostRsx = 6019;
constexpr int kHostCdcCyber = 6026;

constexpr int kHostChameleon = 6001;
constexpr int kHostFtpPcTcp = 6002;
constexpr int kHostIbmPcTcpIp = 6003;
constexpr int kHostIbmVm = 6004;
constexpr int kHostNcsaCutcp = 6006;
constexpr int kHostSiNtFtpd = 6007;
constexpr int kHostSuperTcp = 6008;
constexpr int kHostUnisys5000 = 6009;
constexpr int kHostVmsMultiNet = 6011;
constexpr int kHostQvtNet23 = 6013;
constexpr int kHostMacNcsa = 6014;
constexpr int kHostMacPeter = 6015;
constexpr int kHostMicrosoftNt = 6016;
constexpr int kHostAs400 = 6017;
constexpr int kHostMvs = 6018;
constexpr int kHostSunSolaris = 6020;
constexpr int kHostOs9 = 6021;
constexpr int kHostCorvex = 6022;
constexpr int kHostBullGcos = 6023;
constexpr int kHostMvsKnet = 6024;
constexpr int kHostAmiga = 6025;
constexpr int kHostR1000 = 6027;
constexpr int kHostBullCp6 = 6028;
constexpr int kHostSpartacusKnet = 6029;
constexpr int kHostTandem = 6030;
constexpr int kHostStratusVos = 6031;
constexpr int kHostHp3000 = 6032;
constexpr int kHostServU = 6033;
constexpr int kHostWftpd = 6034;
constexpr int kHostNetWare4 = 6035;
constexpr int kHostPcnfsPro = 6036;
constexpr int kHostTgvMultiNet = 6037;
constexpr int kHostFtpPcTcp30 = 6038;
constexpr int kHostQvtNet40 = 6039;
constexpr int kHostMacVersaTerm = 6040;

}  // namespace ftp
