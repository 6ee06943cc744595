// WMDM's metadata tag names (IWMDMMetaData) and device property names
// (IWMDMDevice3::GetProperty), under the platform's constant names.
#pragma once

#include <wide_text.h>

// Tags holding strings: UTF-16 text with its terminator.
inline constexpr WCHAR g_wszWMDMTitle[] = W("WMDM/Title");
inline constexpr WCHAR g_wszWMDMAuthor[] = W("WMDM/Author");
inline constexpr WCHAR g_wszWMDMAlbumTitle[] = W("WMDM/AlbumTitle");
inline constexpr WCHAR g_wszWMDMAlbumArtist[] = W("WMDM/AlbumArtist");
inline constexpr WCHAR g_wszWMDMGenre[] = W("WMDM/Genre");
inline constexpr WCHAR g_wszWMDMYear[] = W("WMDM/Year");
inline constexpr WCHAR g_wszWMDMComposer[] = W("WMDM/Composer");
inline constexpr WCHAR g_wszWMDMTrackMood[] = W("WMDM/TrackMood");
inline constexpr WCHAR g_wszWMDMDescription[] = W("WMDM/Description");
inline constexpr WCHAR g_wszWMDMFileName[] = W("WMDM/FileName");
inline constexpr WCHAR g_wszWMDMSyncID[] = W("WMDM/SyncID");
inline constexpr WCHAR g_wszWMDMMediaClassSecondaryID[] = W("WMDM/MediaClassSecondaryID");
inline constexpr WCHAR g_wszWMDMEncodingProfile[] = W("WMDM/EncodingProfile");
inline constexpr WCHAR g_wszWMDMSubTitle[] = W("WMDM/SubTitle");
inline constexpr WCHAR g_wszWMDMSubTitleDescription[] = W("WMDM/SubTitleDescription");
inline constexpr WCHAR g_wszWMDMMediaCredits[] = W("WMDM/MediaCredits");
inline constexpr WCHAR g_wszWMDMMediaStationName[] = W("WMDM/MediaStationName");
inline constexpr WCHAR g_wszWMDMMediaOriginalChannel[] = W("WMDM/MediaOriginalChannel");
inline constexpr WCHAR g_wszWMDMProviderCopyright[] = W("WMDM/ProviderCopyright");
inline constexpr WCHAR g_wszWMDMParentalRating[] = W("WMDM/ParentalRating");
inline constexpr WCHAR g_wszWMDMMetaGenre[] = W("WMDM/MetaGenre");
inline constexpr WCHAR g_wszWMDMOwner[] = W("WMDM/Owner");
inline constexpr WCHAR g_wszWMDMEditor[] = W("WMDM/Editor");
inline constexpr WCHAR g_wszWMDMWebmaster[] = W("WMDM/Webmaster");
inline constexpr WCHAR g_wszWMDMSourceURL[] = W("WMDM/SourceURL");
inline constexpr WCHAR g_wszWMDMDestinationURL[] = W("WMDM/DestinationURL");
inline constexpr WCHAR g_wszWMDMCategory[] = W("WMDM/Category");
inline constexpr WCHAR g_wszWMDMObjectBookmark[] = W("WMDM/ObjectBookmark");
inline constexpr WCHAR g_wszWMDMMediaGuid[] = W("WMDM/MediaGuid");

// Tags holding 32-bit numbers.
inline constexpr WCHAR g_wszWMDMTrack[] = W("WMDM/Track");
inline constexpr WCHAR g_wszWMDMFormatCode[] = W("WMDM/FormatCode");
inline constexpr WCHAR g_wszWMDMBitrate[] = W("WMDM/Bitrate");
inline constexpr WCHAR g_wszWMDMBitRateType[] = W("WMDM/BitRateType");
inline constexpr WCHAR g_wszWMDMSampleRate[] = W("WMDM/SampleRate");
inline constexpr WCHAR g_wszWMDMNumChannels[] = W("WMDM/NumChannels");
inline constexpr WCHAR g_wszWMDMBlockAlignment[] = W("WMDM/BlockAlignment");
inline constexpr WCHAR g_wszWMDMAudioBitDepth[] = W("WMDM/AudioBitDepth");
inline constexpr WCHAR g_wszWMDMTotalBitrate[] = W("WMDM/TotalBitrate");
inline constexpr WCHAR g_wszWMDMVideoBitrate[] = W("WMDM/VideoBitrate");
inline constexpr WCHAR g_wszWMDMFrameRate[] = W("WMDM/FrameRate");
inline constexpr WCHAR g_wszWMDMScanType[] = W("WMDM/ScanType");
inline constexpr WCHAR g_wszWMDMKeyFrameDistance[] = W("WMDM/KeyFrameDistance");
inline constexpr WCHAR g_wszWMDMBufferSize[] = W("WMDM/BufferSize");
inline constexpr WCHAR g_wszWMDMWidth[] = W("WMDM/Width");
inline constexpr WCHAR g_wszWMDMHeight[] = W("WMDM/Height");
inline constexpr WCHAR g_wszWMDMUserRating[] = W("WMDM/UserRating");
inline constexpr WCHAR g_wszWMDMUserRatingOnDevice[] = W("WMDM/UserRatingOnDevice");
inline constexpr WCHAR g_wszWMDMUserEffectiveRating[] = W("WMDM/UserEffectiveRating");
inline constexpr WCHAR g_wszWMDMPlayCount[] = W("WMDM/PlayCount");
inline constexpr WCHAR g_wszWMDMDevicePlayCount[] = W("WMDM/DevicePlayCount");
inline constexpr WCHAR g_wszWMDMAlbumCoverFormat[] = W("WMDM/AlbumCoverFormat");
inline constexpr WCHAR g_wszWMDMAlbumCoverSize[] = W("WMDM/AlbumCoverSize");
inline constexpr WCHAR g_wszWMDMAlbumCoverHeight[] = W("WMDM/AlbumCoverHeight");
inline constexpr WCHAR g_wszWMDMAlbumCoverWidth[] = W("WMDM/AlbumCoverWidth");
inline constexpr WCHAR g_wszWMDMAlbumCoverDuration[] = W("WMDM/AlbumCoverDuration");
inline constexpr WCHAR g_wszWMDMDataUnits[] = W("WMDM/DataUnits");

// Tags holding 64-bit numbers (Duration in 100 ns units).
inline constexpr WCHAR g_wszWMDMDuration[] = W("WMDM/Duration");
inline constexpr WCHAR g_wszWMDMFileSize[] = W("WMDM/FileSize");
inline constexpr WCHAR g_wszWMDMFileAttributes[] = W("WMDM/FileAttributes");
inline constexpr WCHAR g_wszWMDMTimeBookmark[] = W("WMDM/TimeBookmark");
inline constexpr WCHAR g_wszWMDMByteBookmark[] = W("WMDM/ByteBookmark");
inline constexpr WCHAR g_wszWMDMDataOffset[] = W("WMDM/DataOffset");
inline constexpr WCHAR g_wszWMDMDataLength[] = W("WMDM/DataLength");
inline constexpr WCHAR g_wszWMDMTimeToLive[] = W("WMDM/TimeToLive");

// Tags holding WMDMDATETIME values.
inline constexpr WCHAR g_wszWMDMLastModifiedDate[] = W("WMDM/LastModifiedDate");
inline constexpr WCHAR g_wszWMDMFileCreationDate[] = W("WMDM/FileCreationDate");
inline constexpr WCHAR g_wszWMDMAuthorDate[] = W("WMDM/AuthorDate");
inline constexpr WCHAR g_wszWMDMUserLastPlayTime[] = W("WMDM/UserLastPlayTime");
inline constexpr WCHAR g_wszWMDMSyncTime[] = W("WMDM/SyncTime");
inline constexpr WCHAR g_wszWMDMMediaOriginalBroadcastDateTime[] = W("WMDM/MediaOriginalBroadcastDateTime");

// Tags holding Win32 BOOLs.
inline constexpr WCHAR g_wszWMDMIsProtected[] = W("WMDM/IsProtected");
inline constexpr WCHAR g_wszWMDMBuyNow[] = W("WMDM/BuyNow");
inline constexpr WCHAR g_wszWMDMNonConsumable[] = W("WMDM/NonConsumable");
inline constexpr WCHAR g_wszWMDMIsRepeat[] = W("WMDM/IsRepeat");

// Tags holding bytes.
inline constexpr WCHAR g_wszWMDMAlbumCoverData[] = W("WMDM/AlbumCoverData");

// Tags whose type varies between devices; readers check the type they get.
inline constexpr WCHAR g_wszWMDMAlbumArt[] = W("WMDM/AlbumArt");
inline constexpr WCHAR g_wszWMDMPersistentUniqueID[] = W("WMDM/PersistentUniqueID");
inline constexpr WCHAR g_wszWMDMCodec[] = W("WMDM/Codec");
inline constexpr WCHAR g_wszWMDMQualitySetting[] = W("WMDM/QualitySetting");
inline constexpr WCHAR g_wszWMDMDRMId[] = W("WMDM/DRMId");

// Tags whose constant names depart from the pattern.
inline constexpr WCHAR g_wszWMDMediaClassPrimaryID[] = W("WMDM/MediaClassPrimaryID");
inline constexpr WCHAR g_wszAudioWAVECodec[] = W("WMDM/AudioWAVECodec");
inline constexpr WCHAR g_wszVideoFourCCCodec[] = W("WMDM/VideoFourCCCodec");
inline constexpr WCHAR g_wszWPDPassthroughPropertyValues[] = W("WPD/PassthroughPropertyValues");

// Device properties, with the PROPVARIANT type each comes back as.
inline constexpr WCHAR g_wszWMDMSupportedDeviceProperties[] = W("WMDM/SupportedDeviceProperties");  // VT_BSTR | VT_ARRAY
inline constexpr WCHAR g_wszWMDMDeviceFriendlyName[] = W("WMDM/DeviceFriendlyName");  // VT_BSTR
inline constexpr WCHAR g_wszWMDMFormatsSupported[] = W("WMDM/FormatsSupported");  // VT_UI4 | VT_ARRAY
inline constexpr WCHAR g_wszWMDMFormatsSupportedAreOrdered[] = W("WMDM/FormatsSupportedAreOrdered");  // VT_BOOL
inline constexpr WCHAR g_wszWMDMSyncRelationshipID[] = W("WMDM/SyncRelationshipID");  // VT_BSTR
inline constexpr WCHAR g_wszWMDMDeviceModelName[] = W("WMDM/DeviceModelName");  // VT_BSTR
inline constexpr WCHAR g_wszWMDMDeviceFirmwareVersion[] = W("WMDM/DeviceFirmwareVersion");  // VT_BSTR or VT_UI4
inline constexpr WCHAR g_wszWMDMDeviceVendorExtension[] = W("WMDM/DeviceVendorExtension");  // VT_BSTR
inline constexpr WCHAR g_wszWMDMDeviceProtocol[] = W("WMDM/DeviceProtocol");  // VT_CLSID
inline constexpr WCHAR g_wszWMDMDeviceServiceProviderVendor[] = W("WMDM/DeviceServiceProviderVendor");  // VT_CLSID
inline constexpr WCHAR g_wszWMDMDeviceRevocationInfo[] = W("WMDM/DeviceRevocationInfo");  // VT_BSTR
inline constexpr WCHAR g_wszWMDMCollectionID[] = W("WMDM/CollectionID");  // VT_BSTR
