#!/usr/bin/env bash
# Builds the test PKI into folder $1 with the OpenSSL command line: RSA and
# SM2 roots, leaves (one revoked, one without CN), CRLs, PKCS#7 blobs,
# signatures over data.bin, an e = 3 key and a small EC key. All DER.
set -euo pipefail
out=$1
mkdir -p "$out"
cd "$out"

SM2ID=(-sigopt distid:1234567812345678)
SM2VFY=(-vfyopt distid:1234567812345678)
DAYS=3650

pem2der() { openssl x509 -in "$1.pem" -outform DER -out "$1.der"; }

cat >ext.cnf <<'EOF'
[root]
basicConstraints = critical,CA:TRUE
keyUsage = critical,keyCertSign,cRLSign
[sign]
keyUsage = critical,digitalSignature,nonRepudiation
[exchange]
keyUsage = critical,keyEncipherment,dataEncipherment
EOF

# --- RSA: root (self-signed with SHA-1), leaves signed with SHA-1 -------------
openssl genrsa -out rsa_root.key 2048 2>/dev/null
openssl req -x509 -new -key rsa_root.key -sha1 -days $DAYS -subj "/C=CN/O=QX Test/CN=QX RSA Root" \
  -extensions root -config <(cat /etc/ssl/openssl.cnf ext.cnf) -out rsa_root.pem
pem2der rsa_root

rsa_leaf() {  # name subject serial extension [md]
  openssl genrsa -out "$1.key" 2048 2>/dev/null
  openssl req -new -key "$1.key" -subj "$2" -out "$1.csr"
  openssl x509 -req -in "$1.csr" -CA rsa_root.pem -CAkey rsa_root.key -"${5:-sha1}" -days $DAYS \
    -set_serial "$3" -extfile ext.cnf -extensions "$4" -out "$1.pem" 2>/dev/null
  pem2der "$1"
}
rsa_leaf rsa_leaf "/C=CN/ST=Beijing/L=Haidian/O=QX Test/OU=Seals/CN=Zhang San/emailAddress=zs@example.com" \
  0x1A2B3C4D5E6F708192A3 sign
rsa_leaf rsa_revoked "/C=CN/O=QX Test/CN=Revoked Holder" 0x2002 sign
rsa_leaf rsa_noncn "/C=CN/O=QX Org Only" 0x2003 exchange
rsa_leaf rsa_sha256 "/C=CN/O=QX Test/CN=SHA-256 Leaf" 0x2004 sign sha256

# Another root that issued none of them.
openssl genrsa -out other_root.key 2048 2>/dev/null
openssl req -x509 -new -key other_root.key -sha1 -days $DAYS -subj "/CN=QX Other Root" -out other_root.pem
pem2der other_root

# --- SM2: root and leaves signed with SM3 ------------------------------------
openssl genpkey -algorithm SM2 -out sm2_root.key
openssl req -x509 -new -key sm2_root.key -sm3 "${SM2ID[@]}" -days $DAYS \
  -subj "/C=CN/O=QX Test/CN=QX SM2 Root" -extensions root -config <(cat /etc/ssl/openssl.cnf ext.cnf) \
  -out sm2_root.pem
pem2der sm2_root

sm2_leaf() {  # name subject serial
  openssl genpkey -algorithm SM2 -out "$1.key"
  openssl req -new -key "$1.key" -sm3 "${SM2ID[@]}" -subj "$2" -out "$1.csr"
  openssl x509 -req -in "$1.csr" "${SM2VFY[@]}" -CA sm2_root.pem -CAkey sm2_root.key -sm3 "${SM2ID[@]}" \
    -days $DAYS -set_serial "$3" -extfile ext.cnf -extensions sign -out "$1.pem" 2>/dev/null
  pem2der "$1"
}
sm2_leaf sm2_leaf "/C=CN/O=QX Test/CN=Li Si" 0x3001
sm2_leaf sm2_revoked "/C=CN/O=QX Test/CN=Revoked SM2" 0x3002

# --- CRLs ----------------------------------------------------------------------
make_crl() {  # ca-name revoked-cert md [sigopts...]
  local ca=$1 revoked=$2 md=$3
  shift 3
  mkdir -p "$ca.db"
  : >"$ca.db/index.txt"
  echo 1000 >"$ca.db/crlnumber"
  cat >"$ca.db/ca.cnf" <<EOF
[ca]
default_ca = CA_default
[CA_default]
database = $ca.db/index.txt
crlnumber = $ca.db/crlnumber
certificate = ${ca}_root.pem
private_key = ${ca}_root.key
default_md = $md
default_crl_days = 30
EOF
  openssl ca -batch -config "$ca.db/ca.cnf" -revoke "$revoked.pem" "$@" 2>/dev/null
  openssl ca -batch -config "$ca.db/ca.cnf" -gencrl "$@" -out "$ca.crl.pem" 2>/dev/null
  openssl crl -in "$ca.crl.pem" -outform DER -out "$ca.crl"
}
make_crl rsa rsa_revoked sha1
make_crl sm2 sm2_revoked sm3 "${SM2ID[@]}"

# --- Signatures over data.bin ------------------------------------------------------
printf 'Document digest input for signature tests.\n' >data.bin
for md in sha1 sha256 md5; do
  openssl dgst -"$md" -sign rsa_leaf.key -out "sig_$md.bin" data.bin
done
openssl dgst -sm3 -sign sm2_leaf.key "${SM2ID[@]}" -out sig_sm2.der data.bin
openssl x509 -in sm2_leaf.pem -noout -pubkey | openssl pkey -pubin -outform DER -out sm2_leaf_pub.der
# A bare SHA-1 digest (no DigestInfo) in a type 1 block, and the same with the
# digest bytes reversed.
openssl dgst -sha1 -binary data.bin >data.sha1
python3 -c "import sys; d=open('data.sha1','rb').read(); open('data.sha1.rev','wb').write(d[::-1])"
openssl pkeyutl -sign -inkey rsa_leaf.key -pkeyopt rsa_padding_mode:pkcs1 -in data.sha1 -out sig_bare_sha1.bin
openssl pkeyutl -sign -inkey rsa_leaf.key -pkeyopt rsa_padding_mode:pkcs1 -in data.sha1.rev -out sig_bare_sha1_rev.bin

# --- PKCS#7 --------------------------------------------------------------------------
openssl smime -sign -binary -noattr -md sha1 -in data.bin -signer rsa_leaf.pem -inkey rsa_leaf.key \
  -outform DER -out p7_detached.der
openssl smime -sign -binary -nodetach -md sha1 -in data.sha1 -signer rsa_leaf.pem -inkey rsa_leaf.key \
  -outform DER -out p7_attached.der
openssl smime -sign -binary -nodetach -noattr -md sha1 -in data.sha1 -signer rsa_leaf.pem \
  -inkey rsa_leaf.key -outform DER -out p7_attached_noattr.der
openssl smime -sign -binary -nodetach -md sha1 -in data.bin -signer rsa_leaf.pem -inkey rsa_leaf.key \
  -outform DER -out p7_attached_long.der

# --- Odd keys ----------------------------------------------------------------------------
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -pkeyopt rsa_keygen_pubexp:3 -out rsa3.key
openssl req -x509 -new -key rsa3.key -sha1 -days $DAYS -subj "/CN=QX e3" -out rsa3.pem
pem2der rsa3
openssl ecparam -name prime192v1 -genkey -noout -out ec192.key
openssl req -x509 -new -key ec192.key -sha256 -days $DAYS -subj "/CN=QX small EC" -out ec192.pem
pem2der ec192
echo "pki ok"
