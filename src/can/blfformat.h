#pragma once

#include <QtGlobal>

// The layout of Vector's binary logging format, shared by its reader and writer. All numbers
// are little-endian. A file header ("LOGG") is followed by objects ("LOBJ"), each padded by its
// size modulo 4; log containers hold further objects, zlib-compressed or plain.
namespace BlfFormat {

constexpr quint32 FileHeaderSize = 144;
// The file header up to the end of its stop time: all a reader needs.
constexpr quint32 FileHeaderMinimum = 72;
constexpr int FileSizeAt = 16;
constexpr int UncompressedSizeAt = 24;
constexpr int ObjectCountAt = 32;
constexpr int FileStartTimeAt = 40;
constexpr int FileStopTimeAt = 56;

// Signature, header size, header version, object size, object type.
constexpr quint32 ObjectHeaderBase = 16;
// The base plus flags, client index, object version and a 64-bit time stamp.
constexpr quint32 ObjectHeaderV1 = 32;
constexpr int TimeFlagsAt = 16;
constexpr int TimeStampAt = 24;
constexpr quint32 TimeTenMicroseconds = 0x1;
constexpr quint32 TimeOneNanosecond = 0x2;

// Compression method, reserved, uncompressed size, reserved.
constexpr quint32 ContainerHeader = 16;
constexpr quint16 CompressionNone = 0;
constexpr quint16 CompressionZlib = 2;

enum ObjectType : quint32 {
    ObjectCanMessage = 1,
    ObjectCanError = 2,
    ObjectLogContainer = 10,
    ObjectCanErrorExt = 73,
    ObjectCanMessage2 = 86,
    ObjectCanFdMessage = 100,
    ObjectCanFdMessage64 = 101,
};

// CAN_MESSAGE: channel, flags, DLC, identifier, eight data bytes.
constexpr quint32 CanMessageBody = 16;
constexpr quint32 ExtendedIdFlag = 0x80000000u;
constexpr quint8 RemoteFlag = 0x80;
// CAN_FD_MESSAGE: as CAN_MESSAGE to the identifier, FD flags at 13, valid bytes at 14, data
// from 20.
constexpr quint32 CanFdMessageHeader = 20;
constexpr quint8 FdEdlFlag = 0x01;
// CAN_FD_MESSAGE_64: DLC at 1, valid bytes at 2, identifier at 4, flags at 12, data from 40.
constexpr quint32 CanFd64Header = 40;
constexpr quint32 Fd64RemoteFlag = 0x0010;
constexpr quint32 Fd64EdlFlag = 0x1000;

// Limits that keep a hostile file from asking for unbounded memory. Real containers hold
// 128 KiB; the largest real objects (Ethernet, long texts) stay far below a megabyte.
constexpr quint32 ObjectLimit = 16 << 20;
constexpr quint32 ContainerLimit = 16 << 20;

} // namespace BlfFormat
