#!/usr/bin/env bash
# Makes the certificates the TLS tests serve (natively, with openssl):
#   tools/service/tls-certs.sh DIR
#   DIR/ca.pem                 test CA, which the test Wine prefix is told to trust; kept
#                              from run to run (in DIR/ca/) while it has a week left, and
#                              each new one named apart (Wine cannot replace a CA of the
#                              same name in its Root store)
#   DIR/good.{pem,key}         localhost, issued by that CA
#   DIR/otherhost.{pem,key}    another host name only, same CA
#   DIR/expired.{pem,key}      localhost, same CA, valid 2020-2021
#   DIR/untrusted.{pem,key}    localhost, issued by a CA nobody trusts
# Every .pem a server serves holds the leaf certificate and then its CA; the leaves and
# the untrusted CA are made afresh each run.
set -eu
dir=${1:?usage: tls-certs.sh DIR}
mkdir -p "$dir"
cd "$dir"
find . -mindepth 1 -maxdepth 1 ! -name ca -exec rm -rf {} +
mkdir -p work ca

make_ca() { # name subject [days]
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days "${3:-30}" -subj "/CN=$2/O=Moravel tests" \
    -keyout "work/$1.key" -out "work/$1.pem" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}

# leaf name ca dns [startdate enddate]
leaf() {
  local name=$1 ca=$2 dns=$3 start=${4:-} end=${5:-}
  openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=$dns" -keyout "$name.key" -out "work/$name.csr" 2>/dev/null
  mkdir -p "work/$ca.db"
  : >"work/$ca.db/index.txt"
  [ -f "work/$ca.db/serial" ] || openssl rand -hex 8 >"work/$ca.db/serial"
  cat >"work/$name.cnf" <<CNF
[ca]
default_ca = this
[this]
database = work/$ca.db/index.txt
new_certs_dir = work/$ca.db
serial = work/$ca.db/serial
certificate = work/$ca.pem
private_key = work/$ca.key
default_md = sha256
policy = anything
unique_subject = no
copy_extensions = none
x509_extensions = leaf
[anything]
commonName = supplied
[leaf]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:$dns
CNF
  local dates=(-days 30)
  [ -n "$start" ] && dates=(-startdate "$start" -enddate "$end")
  openssl ca -batch -notext -config "work/$name.cnf" "${dates[@]}" \
    -in "work/$name.csr" -out "work/$name.crt" 2>/dev/null
  cat "work/$name.crt" "work/$ca.pem" >"$name.pem"
}

if [ -f ca/ca.pem ] && [ -f ca/ca.key ] && openssl x509 -in ca/ca.pem -noout -checkend 604800 >/dev/null; then
  cp ca/ca.pem ca/ca.key work/
else
  make_ca ca "Moravel Test CA $(openssl rand -hex 4)" 3650
  cp work/ca.pem work/ca.key ca/
fi
make_ca stranger "Moravel Untrusted Test CA"
cp work/ca.pem ca.pem
leaf good ca localhost
leaf otherhost ca other.moravel.test
leaf expired ca localhost 20200101000000Z 20210101000000Z
leaf untrusted stranger localhost
echo "test certificates in $dir"
